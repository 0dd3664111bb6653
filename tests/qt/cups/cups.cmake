# Printing through a real CUPS scheduler (scripts/cups), each job checked in what the
# scheduler spooled. The tests stop and restart that scheduler, so they run alone.
if(TARGET veltrane_qt_print)
veltrane_add_test(qt_cups_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cups_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cups_print_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../ui/window_driver.cpp
  LIBS veltrane_app veltrane_pdf_pages veltrane_qt_ui veltrane_qt_print Qt6::Test PkgConfig::QPDF
  PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen RUN_SERIAL TRUE TIMEOUT 600)
endif()
