# cmake -P include_walls.cmake STAMP ROOT FOLDER...: fails when a file under one of the
# FOLDERs includes a path that climbs out of its folder ("model/../print/print_device.h"
# resolves through the link of the include root into the sources beside it) or a header by
# its bare name ("text.h" is found in the file's own folder, beside every include root).
# Either is a way around the include roots of the layers. On success, touches STAMP.
math(EXPR last "${CMAKE_ARGC} - 1")
set(found "")
foreach(i RANGE 5 ${last})
  file(GLOB_RECURSE files ${CMAKE_ARGV4}/${CMAKE_ARGV${i}}/*.h ${CMAKE_ARGV4}/${CMAKE_ARGV${i}}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*(\"[^\"/]*\"|[\"<][^\">]*\\.\\./)")
    if(lines)
      list(APPEND found "${file}: ${lines}")
    endif()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n" found)
  message(FATAL_ERROR "Includes around the layers' include roots (climbing with \"..\", or a "
                      "bare name that only the file's own folder finds):\n${found}")
endif()
file(TOUCH ${CMAKE_ARGV3})
