#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/standard_output.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>

#include "backends/win32/text.h"
#endif

namespace {

int run(const std::vector<std::string_view>& args) {
  veltrane::hold_closed_standard_descriptors();
#ifdef SIGXFSZ
  // A file grown past the size limit is a failed write to report (EFBIG), not a silent end
  // that leaves the temporary file.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  int code = 2;
  try {
    code = veltrane::run_cli(args, veltrane::standard_output(), std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "veltrane-cli: out of memory\n";
  }
  return veltrane::close_standard_output(code, std::cerr);
}

}  // namespace

#ifdef _WIN32

namespace {

UINT console_code_page = 0;

void restore_console_code_page() {
  SetConsoleOutputCP(console_code_page);
}

// A console shows the program's UTF-8 as UTF-8 while it runs; its own code page comes back
// at the end. Pipes and files get the bytes as they are.
void show_utf8_on_console() {
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) == 0 &&
      GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) == 0)
    return;
  console_code_page = GetConsoleOutputCP();
  if (console_code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8) != 0)
    std::atexit(restore_console_code_page);
}

}  // namespace

// The command line comes as UTF-16, every character as typed; the ANSI one would have
// turned those outside the system's code page into look-alikes or "?", even into path
// separators. Inside, the arguments are UTF-8, as on every other platform.
int wmain(int argc, wchar_t** argv) {
  show_utf8_on_console();
  std::vector<std::string> utf8;
  for (int i = 1; i < argc; ++i) utf8.push_back(veltrane::to_utf8(argv[i]));
  return run(std::vector<std::string_view>(utf8.begin(), utf8.end()));
}

#else

int main(int argc, char** argv) {
  return run(std::vector<std::string_view>(argv + (argc > 0 ? 1 : 0), argv + argc));
}

#endif
