#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"

namespace veltrane {

/// What one run of the command-line tool gave: exit code, standard output and error.
struct CliRun {
  int code;
  std::string out;
  std::string err;
};

/// Runs the command-line tool in-process on `args` (without the program name).
inline CliRun run(std::vector<std::string_view> args) {
  std::ostringstream out, err;
  const int code = run_cli(args, out, err);
  return {code, out.str(), err.str()};
}

/// The lines of `text`, without their line feeds.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace veltrane
