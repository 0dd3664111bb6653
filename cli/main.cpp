#include <iostream>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/standard_output.h"

int main(int argc, char** argv) {
  veltrane::hold_closed_standard_descriptors();
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int code = veltrane::run_cli(args, veltrane::standard_output(), std::cerr);
  return veltrane::close_standard_output(code, std::cerr);
}
