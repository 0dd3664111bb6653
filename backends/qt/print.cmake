# Qt printing: one QPainter code path (qt_painter_device) behind the printer and the files.
add_library(veltrane_qt_paint STATIC
  ${CMAKE_CURRENT_LIST_DIR}/arc_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_painter_device.cpp)
veltrane_expose(veltrane_qt_paint
  backends/qt/arc_path.h backends/qt/arc_path.h
  backends/qt/qt_painter_device.h backends/qt/qt_painter_device.h)
target_link_libraries(veltrane_qt_paint PUBLIC veltrane_print veltrane_raster Qt6::Gui)


# PDF, SVG and PNG for veltrane-cli (print/file_output.h); libqpdf gives the PDFs the viewer
# preference that Qt's PDF writer cannot.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QPDF REQUIRED IMPORTED_TARGET GLOBAL libqpdf)
# Declares that this code uses no PointerHolder, which qpdf 11 otherwise warns about.
set_property(TARGET PkgConfig::QPDF APPEND PROPERTY
  INTERFACE_COMPILE_DEFINITIONS POINTERHOLDER_TRANSITION=4)
add_library(veltrane_qt_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/pdf_print_scaling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_file_device.cpp)
veltrane_expose(veltrane_qt_files
  backends/qt/pdf_print_scaling.h backends/qt/pdf_print_scaling.h
  backends/qt/qt_file_device.h backends/qt/qt_file_device.h)
target_link_libraries(veltrane_qt_files
  PUBLIC veltrane_qt_paint PRIVATE Qt6::Svg PkgConfig::QPDF)

# The printer back end with its selection dialog, for the window program; a page saved as a
# PDF file from the dialog is made as veltrane-cli makes one.
add_library(veltrane_qt_print STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_printer.cpp)
veltrane_expose(veltrane_qt_print backends/qt/qt_printer.h backends/qt/qt_printer.h)
target_link_libraries(veltrane_qt_print
  PUBLIC veltrane_qt_paint Qt6::PrintSupport Qt6::Widgets PRIVATE veltrane_qt_files)
