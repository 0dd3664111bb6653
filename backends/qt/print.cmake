# Qt printing: one QPainter code path (qt_painter_device) behind the printer and the files.
add_library(veltrane_qt_paint STATIC
  ${CMAKE_CURRENT_LIST_DIR}/arc_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_painter_device.cpp)
veltrane_expose(veltrane_qt_paint
  backends/qt/arc_path.h backends/qt/arc_path.h
  backends/qt/qt_painter_device.h backends/qt/qt_painter_device.h)
target_link_libraries(veltrane_qt_paint PUBLIC veltrane_print veltrane_raster Qt6::Gui)


# The printer back end with its selection dialog, for the window program; a page saved as a
# PDF file from the dialog is written by the print layer's PDF writer, as veltrane-cli's are.
add_library(veltrane_qt_print STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_printer.cpp)
veltrane_expose(veltrane_qt_print backends/qt/qt_printer.h backends/qt/qt_printer.h)
target_link_libraries(veltrane_qt_print PUBLIC veltrane_qt_paint Qt6::PrintSupport Qt6::Widgets)

# PNG for veltrane-cli (print/file_output.h); PDF and SVG come from the print layer.
add_library(veltrane_qt_files STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_file_device.cpp)
target_link_libraries(veltrane_qt_files PUBLIC veltrane_qt_paint)
