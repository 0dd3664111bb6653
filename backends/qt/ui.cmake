# The window toolkit on Qt Widgets and the windowed program `veltrane`.

qt_add_resources(veltrane_resource_sources ${PROJECT_SOURCE_DIR}/resources/veltrane.qrc)
add_library(veltrane_qt_ui STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_toolkit.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/display.cpp
                                  ${veltrane_resource_sources})
veltrane_expose(veltrane_qt_ui
  backends/qt/qt_toolkit.h backends/qt/qt_toolkit.h
  backends/qt/display.h backends/qt/display.h)
target_link_libraries(veltrane_qt_ui PUBLIC veltrane_ui Qt6::Widgets)

add_executable(veltrane ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(veltrane PRIVATE veltrane_app veltrane_qt_ui veltrane_qt_print)
install(TARGETS veltrane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/resources/veltrane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/veltrane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME veltrane.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/veltrane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
