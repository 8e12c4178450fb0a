# SPDX-License-Identifier: MIT
# Fails when a file of the program outside the platform layer calls the system itself: its
# headers belong in the files whose names say "platform", so that one interface serves both.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/storage/* ${SOURCE_DIR}/editor/* ${SOURCE_DIR}/dialogs/* ${SOURCE_DIR}/app/*)
set(found "")
foreach(source IN LISTS sources)
    if(source MATCHES "platform")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines
         REGEX "^[ \t]*#[ \t]*include[ \t]*<(unistd|fcntl|windows|io|dirent)\\.h>|^[ \t]*#[ \t]*include[ \t]*<sys/")
    foreach(line IN LISTS lines)
        string(APPEND found "${source}: ${line}\n")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "System headers outside the platform layer (storage/platform.h):\n${found}")
endif()
