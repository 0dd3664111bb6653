# The layers hold: a file of a layer that includes a header of a layer it does not build on
# (one above it, or beside it) must fail to compile, for want of the header. The probes are
# made from this one list, lowest layer first, so every such pair is covered and a new layer
# is one line here. Each layer gets one object library of probes, one file per header it
# must not reach, compiled with exactly its include roots; the test builds it and reads in
# the compiler's messages that every probe failed for that reason.
set(veltrane_layers
  # name    target              a header of it ("-": none)       the layers it builds on
  "model    veltrane_model      model/geometry.h"
  "raster   veltrane_raster     raster/grey_fill.h"
  "print    veltrane_print      print/print_device.h             model"
  "files    veltrane_files_portable -                            model print"
  "pages    veltrane_pages      template/template_page.h         model print"
  "ui       veltrane_ui         ui/dialog.h                      model print"
  "app      veltrane_app        app/windows.h                    model print pages ui"
  "cli      veltrane_cli_lib    cli/cli.h                        model print pages ui app"
  "qt_paint veltrane_qt_paint   backends/qt/qt_painter_device.h  model raster print"
  "qt_files veltrane_qt_files   -                                model raster print qt_paint"
  "qt_print veltrane_qt_print   backends/qt/qt_printer.h         model raster print qt_paint"
  "qt_ui    veltrane_qt_ui      backends/qt/qt_toolkit.h         model print ui"
  "win32    veltrane_win32      backends/win32/win32_toolkit.h   model print ui"
)

set(names)
foreach(entry IN LISTS veltrane_layers)
  string(REGEX MATCHALL "[^ ]+" words "${entry}")
  list(POP_FRONT words name target header)
  if(NOT TARGET ${target})
    continue()
  endif()
  list(APPEND names ${name})
  set(target_of_${name} ${target})
  set(header_of_${name} ${header})
  set(below_${name} ${words})
  if(NOT header STREQUAL "-" AND NOT EXISTS ${PROJECT_BINARY_DIR}/include/${target}/${header})
    message(FATAL_ERROR "layering: ${header} is not a header of ${target}")
  endif()
endforeach()

set(probe_folder ${CMAKE_CURRENT_BINARY_DIR}/layering)
foreach(name IN LISTS names)
  set(sources)
  set(expected)
  foreach(other IN LISTS names)
    if(other STREQUAL name OR header_of_${other} STREQUAL "-" OR other IN_LIST below_${name})
      continue()
    endif()
    set(source ${probe_folder}/${name}_includes_${other}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header_of_${other}}\"\n")
    list(APPEND sources ${source})
    list(APPEND expected "${name}_includes_${other}.cpp=${header_of_${other}}")
  endforeach()
  if(NOT sources)
    continue()
  endif()
  add_library(layering_${name} OBJECT EXCLUDE_FROM_ALL ${sources})
  target_link_libraries(layering_${name} PRIVATE ${target_of_${name}})
  list(JOIN expected "," expected)
  add_test(NAME layering.${name}
           COMMAND ${CMAKE_COMMAND} -D build=${PROJECT_BINARY_DIR} -D config=$<CONFIG>
                   -D target=layering_${name} "-D generator=${CMAKE_GENERATOR}"
                   -D expected=${expected} -P ${CMAKE_CURRENT_LIST_DIR}/expect_walls.cmake)
  # The probes build in the same tree, so one at a time.
  set_tests_properties(layering.${name} PROPERTIES RESOURCE_LOCK layering_build)
endforeach()

# Downward includes go through: the windows' commands see every layer below them.
file(CONFIGURE OUTPUT ${probe_folder}/app_includes_every_layer.cpp CONTENT
     "#include \"app/windows.h\"\n#include \"model/geometry.h\"\n#include \"print/print_job.h\"\n")
add_library(layering_downward OBJECT EXCLUDE_FROM_ALL ${probe_folder}/app_includes_every_layer.cpp)
target_link_libraries(layering_downward PRIVATE veltrane_app)
add_test(NAME layering.downward
         COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --config $<CONFIG>
                 --target layering_downward)
set_tests_properties(layering.downward PROPERTIES RESOURCE_LOCK layering_build)

# The build's own check of includes that go around the roots refuses both kinds.
foreach(kind climbs bare)
  add_test(NAME layering.include_walls_refuse_${kind}
           COMMAND ${CMAKE_COMMAND} -P ${PROJECT_SOURCE_DIR}/cmake/include_walls.cmake
                   ${CMAKE_CURRENT_BINARY_DIR}/walls_probe.stamp ${CMAKE_CURRENT_LIST_DIR}
                   walls_probe/${kind})
  set_tests_properties(layering.include_walls_refuse_${kind} PROPERTIES
    PASS_REGULAR_EXPRESSION "Includes around the layers' include roots.*walls_probe/${kind}/")
endforeach()
