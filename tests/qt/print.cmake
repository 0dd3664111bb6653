# libqpdf reads the PDFs back for the tests.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QPDF REQUIRED IMPORTED_TARGET GLOBAL libqpdf)
# Declares that this code uses no PointerHolder, which qpdf 11 otherwise warns about.
set_property(TARGET PkgConfig::QPDF APPEND PROPERTY
  INTERFACE_COMPILE_DEFINITIONS POINTERHOLDER_TRANSITION=4)
# Qt SVG renders the SVG pages a user would open, to measure them.
find_package(Qt6 REQUIRED COMPONENTS Svg)

# The Qt printing and file back ends: arc accuracy, the painting rules, and pages measured
# as a user would (file sizes, and marks on a rasterised PDF).
veltrane_add_test(qt_print_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/print/arc_path_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/print/cli_pdf_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/print/painter_device_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/print/file_device_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/print/page_measure_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/print/printer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/print/text_extent_test.cpp
  LIBS veltrane_app veltrane_pdf_pages veltrane_cli_lib veltrane_qt_files veltrane_qt_print PkgConfig::QPDF
    Qt6::Svg)
