# Qt printing: one QPainter code path (qt_painter_device) behind the printer and the files.
add_library(veltrane_qt_paint STATIC
  ${CMAKE_CURRENT_LIST_DIR}/arc_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grey_fill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_painter_device.cpp)
veltrane_expose(veltrane_qt_paint backends/qt backends/qt)
target_link_libraries(veltrane_qt_paint PUBLIC veltrane_print Qt6::Gui)

# The printer back end with its selection dialog, for the window program.
add_library(veltrane_qt_print STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_printer.cpp)
target_link_libraries(veltrane_qt_print PUBLIC veltrane_qt_paint Qt6::PrintSupport Qt6::Widgets)

# PNG for veltrane-cli (print/file_output.h); PDF and SVG come from the print layer.
find_package(ZLIB REQUIRED)
add_library(veltrane_qt_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/grey_png.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_file_device.cpp)
target_link_libraries(veltrane_qt_files PUBLIC veltrane_qt_paint PRIVATE ZLIB::ZLIB)
