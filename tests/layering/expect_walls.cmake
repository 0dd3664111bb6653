# cmake -D build=DIR -D config=C -D target=T -D generator=G -D expected=FILE=HEADER,...
#       -P expect_walls.cmake
# Builds the probes of one layer, going on past each failure, and fails unless every probe
# FILE failed to compile for want of its HEADER (and nothing else built them).
if(generator MATCHES "Ninja")
  set(keep_going -k 0)
else()
  set(keep_going -k)
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${build} --config ${config} --target ${target} -- ${keep_going}
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
set(missed)
string(REPLACE "," ";" expected "${expected}")
foreach(pair IN LISTS expected)
  string(REPLACE "=" ";" pair ${pair})
  list(GET pair 0 file)
  list(GET pair 1 header)
  string(REPLACE "." "\\." file_pattern ${file})
  string(REPLACE "." "\\." header_pattern ${header})
  if(NOT output MATCHES
     "${file_pattern}:[0-9]+:[0-9]+: fatal error: ('${header_pattern}' file not found|${header_pattern}: No such file)")
    list(APPEND missed "${file} reached ${header}")
  endif()
endforeach()
if(result EQUAL 0 OR missed)
  list(JOIN missed "\n  " missed)
  message(FATAL_ERROR "Includes that should fail went through:\n  ${missed}\n${output}")
endif()
