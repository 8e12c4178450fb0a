# SPDX-License-Identifier: MIT
# Builds one probe target per case and fails unless each compiles exactly when it should: a source
# that links one layer and includes a header of its own layer compiles, one that includes a
# header of a layer it does not link (one above, or a sibling) does not. Run by CTest with
# BUILD_DIR and PROBES (a list of target=expected pairs).
set(wrong "")
foreach(probe IN LISTS PROBES)
    string(REPLACE "=" ";" pair ${probe})
    list(GET pair 0 target)
    list(GET pair 1 expected)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc EQUAL 0)
        set(got compiles)
    elseif(out MATCHES "No such file or directory|file not found")
        set(got refused)
    else()
        set(got "fails for another reason:\n${out}")
    endif()
    if(NOT got STREQUAL expected)
        string(APPEND wrong "${target}: expected ${expected}, ${got}\n")
    endif()
endforeach()
if(wrong)
    message(FATAL_ERROR "The layers are not kept apart:\n${wrong}")
endif()
