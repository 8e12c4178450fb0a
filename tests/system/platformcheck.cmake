# SPDX-License-Identifier: MIT
# Fails when a file of the program outside the platform layer calls the system itself: its
# headers belong in src/platform/, so that one interface serves both systems.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*)
set(found "")
foreach(source IN LISTS sources)
    if(source MATCHES "^src/platform/")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines
         REGEX "^[ \t]*#[ \t]*include[ \t]*<(unistd|fcntl|windows|io|dirent)\\.h>|^[ \t]*#[ \t]*include[ \t]*<sys/")
    foreach(line IN LISTS lines)
        string(APPEND found "${source}: ${line}\n")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "System headers outside the platform layer (src/platform/):\n${found}")
endif()
