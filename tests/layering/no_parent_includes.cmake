# cmake -P no_parent_includes.cmake ROOT FOLDER...: fails when a file under one of the
# FOLDERs includes a path that climbs out of its own folder ("../x.h"), the one way around
# the include roots of the layers.
math(EXPR last "${CMAKE_ARGC} - 1")
set(found "")
foreach(i RANGE 4 ${last})
  file(GLOB_RECURSE files ${CMAKE_ARGV3}/${CMAKE_ARGV${i}}/*.h ${CMAKE_ARGV3}/${CMAKE_ARGV${i}}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
    if(lines)
      list(APPEND found "${file}: ${lines}")
    endif()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n" found)
  message(FATAL_ERROR "Includes that climb out of their folder:\n${found}")
endif()
