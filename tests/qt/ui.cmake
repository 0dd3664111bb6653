# Window tests: the real Qt widgets, offscreen, with the printer choice and the message
# window's answer replaced through the toolkit.
find_package(Qt6 REQUIRED COMPONENTS Test)
veltrane_add_test(qt_ui_tests
  SOURCES
    qt/ui/window_driver.cpp
    qt/ui/main_window_test.cpp
    qt/ui/custom_strobe_test.cpp
    qt/ui/toolkit_test.cpp
    qt/ui/keyboard_and_reader_test.cpp
    qt/ui/start_test.cpp
  LIBS veltrane_app veltrane_qt_ui Qt6::Test
  PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120)
# The start tests run the program itself.
add_dependencies(qt_ui_tests veltrane)
