# The layers hold: a file of a layer that includes a header of a layer it does not link must
# fail to compile, for want of the header. Each probe is one such file, compiled with exactly
# the include roots of its layer; CTest builds it and reads why it failed. The probes that
# must build show that the same mechanism lets every downward include through.
set(veltrane_layer_probes
  # name                   layer               header                      outcome
  model_includes_print     veltrane_model      print/print_device.h        fails
  model_includes_ui        veltrane_model      ui/dialog.h                 fails
  print_includes_pages     veltrane_print      template/template_page.h    fails
  print_includes_app       veltrane_print      app/read_fields.h           fails
  pages_includes_ui        veltrane_pages      ui/dialog.h                 fails
  ui_includes_pages        veltrane_ui         strobe/strobe_page.h        fails
  ui_includes_app          veltrane_ui         app/windows.h               fails
  app_includes_cli         veltrane_app        cli/cli.h                   fails
  files_include_cli        veltrane_files_portable cli/cli.h                   fails
  qt_files_include_cli     veltrane_qt_files   cli/cli.h                   fails
  qt_toolkit_includes_app  veltrane_qt_ui      app/windows.h               fails
  app_includes_every_layer veltrane_app        app/windows.h               builds
  pages_include_model      veltrane_pages      model/geometry.h            builds
)

set(probe_folder ${CMAKE_CURRENT_BINARY_DIR}/layering)
while(veltrane_layer_probes)
  list(POP_FRONT veltrane_layer_probes name layer header outcome)
  if(NOT TARGET ${layer})
    continue()
  endif()
  set(source ${probe_folder}/${name}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n")
  add_library(layering_${name} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(layering_${name} PRIVATE ${layer})
  add_test(NAME layering.${name}
           COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --config $<CONFIG>
                   --target layering_${name})
  # The probes build in the same tree, so one at a time.
  set_tests_properties(layering.${name} PROPERTIES RESOURCE_LOCK layering_build)
  if(outcome STREQUAL "fails")
    string(REPLACE "." "\\." pattern ${header})
    set_tests_properties(layering.${name} PROPERTIES
      PASS_REGULAR_EXPRESSION "${pattern}: No such file|'${pattern}' file not found")
  endif()
endwhile()

add_test(NAME layering.no_parent_includes
         COMMAND ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_LIST_DIR}/no_parent_includes.cmake
                 ${PROJECT_SOURCE_DIR} src cli backends)
