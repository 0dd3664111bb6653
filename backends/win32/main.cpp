#include <windows.h>

#include "app/windows.h"
#include "backends/win32/win32_toolkit.h"
#include "model/parameter_set.h"

// The command line and the first window's show hint are ignored; the exit code is always 0.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  veltrane::init_controls();
  veltrane::Win32Toolkit toolkit;
  veltrane::ParameterSet parameters;
  veltrane::run_main_window(toolkit, parameters);
  return 0;
}
