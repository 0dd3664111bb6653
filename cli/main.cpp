#include <csignal>
#include <iostream>
#include <new>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/standard_output.h"

int main(int argc, char** argv) {
  veltrane::hold_closed_standard_descriptors();
#ifdef SIGXFSZ
  // A file grown past the size limit is a failed write to report (EFBIG), not a silent end
  // that leaves the temporary file.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  int code = 2;
  try {
    std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    code = veltrane::run_cli(args, veltrane::standard_output(), std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "veltrane-cli: out of memory\n";
  }
  return veltrane::close_standard_output(code, std::cerr);
}
