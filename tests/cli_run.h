#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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

/// Checks that `args` is a mistake in the arguments: exit code 2, nothing on standard
/// output, and on standard error one line naming it and then the usage line that starts with
/// `usage` ("usage: veltrane-cli analyze" for analyze's).
inline void expect_usage_error(const std::vector<std::string_view>& args,
                               std::string_view usage = "usage: veltrane-cli") {
  const CliRun r = run(args);
  const std::string shown = args.empty() ? "(none)" : std::string(args.back());
  EXPECT_EQ(r.code, 2) << shown;
  EXPECT_EQ(r.out, "") << shown;
  EXPECT_TRUE(r.err.starts_with("veltrane-cli: ")) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
  EXPECT_NE(r.err.find("\n" + std::string(usage)), std::string::npos) << r.err;
}

/// The lines of `text`, without their line feeds.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace veltrane
