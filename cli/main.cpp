#include <iostream>
#include <string_view>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return veltrane::run_cli(args, std::cout, std::cerr);
}
