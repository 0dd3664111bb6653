#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace veltrane {
namespace {

struct Run {
  int code;
  std::string out;
  std::string err;
};

Run run(std::vector<std::string_view> args) {
  std::ostringstream out, err;
  const int code = run_cli(args, out, err);
  return {code, out.str(), err.str()};
}

TEST(Cli, Placeholder) {
  EXPECT_EQ(run({"summary"}).code, 0);
}

}  // namespace
}  // namespace veltrane
