#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_run.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

// The text after `"key": ` in a JSON report, up to the comma or line end (a list whole).
std::string json_value(const std::string& json, const std::string& key, std::size_t from = 0) {
  const std::size_t at = json.find("\"" + key + "\": ", from);
  if (at == std::string::npos) return "(none)";
  const std::size_t start = at + key.size() + 4;
  if (json[start] == '[') return json.substr(start, json.find(']', start) + 1 - start);
  return json.substr(start, json.find_first_of(",\n", start) - start);
}

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CliOptimize, ArgumentMistakesAndLimitsWithoutAnOptimum) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* says; } cases[] = {
      {{"--offset-range", "0,30"}, "optimize needs --overhang-range H1,H2 and --offset-range"},
      {{"--overhang-range", "10,20"}, "optimize needs"},
      {{"--overhang-range", "10,x", "--offset-range", "0,30"}, "overhang range must be two numbers of mm"},
      {{"--overhang-range", "", "--offset-range", "0,30"}, "overhang range must be two"},
      {{"--overhang-range", "10,20", "--offset-range", "inf"}, "offset angle range must be two numbers of degrees"},
      {{"--overhang-range", "10,20,30", "--offset-range", "0"}, "overhang range must be two"},
      {{"--overhang-range", "20,10", "--offset-range", "0,30"}, "runs backwards"},
      {{"--overhang-range", "10,20", "--offset-range", "0,95"}, "within -90 to 90 degrees"},
      {{"--overhang-range", "60,70", "--offset-range", "0,30"}, "no arm with an overhang"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "--pivot", "abc"}, "pivot distance"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "--nulls", "66,121"}, "unknown option"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "--criterion", "mean"}, "peak or rms"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "--format", "csv"}, "text or json"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "-o", "-"}, "FILE's extension"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "-o", "x.txt"}, "FILE's extension"},
      {{"--overhang-range", "10,20", "--offset-range", "0,30", "--radii", "din", "--inner", "60"},
       "cannot go together"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args{"optimize"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    expect_usage_error(args, "usage: veltrane-cli optimize");
    EXPECT_NE(run(args).err.find(c.says), std::string::npos) << run(args).err;
  }
}

TEST(CliOptimize, FixedRangesReportTheArmAsAnalyzeDoes) {
  // clang-format off
  const struct { const char* pivot; const char* overhang; const char* offset; const char* length; } cases[] = {
      {"209", "17.3", "23.8", "226.3"}, {"250", "-12", "8", "238"}, {"222", "2", "5", "224"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const CliRun optimum = run({"optimize", "--pivot", c.pivot, "--overhang-range", c.overhang,
                                "--offset-range", c.offset, "--format", "json"});
    ASSERT_EQ(optimum.code, 0) << optimum.err;
    const CliRun analysis = run({"analyze", "--pivot", c.pivot, "--arm-length", c.length,
                                 "--arm-offset", c.offset, "--format", "json", "--step", "50"});
    ASSERT_EQ(analysis.code, 0) << analysis.err;
    const std::size_t given = analysis.out.find("\"as-given\"");
    const std::size_t ours = optimum.out.find("\"optimum\"");
    for (const char* key : {"effective_length_mm", "offset_angle_deg", "peak_distortion_percent",
                            "peak_distortion_radius_mm", "rms_distortion_percent"})
      EXPECT_EQ(json_value(optimum.out, key, ours), json_value(analysis.out, key, given)) << key;
  }
}

TEST(CliOptimize, ReportAndTemplate) {
  const fs::path dir = fs::temp_directory_path() / "veltrane_optimize_test";
  fs::create_directories(dir);
  const std::string file = (dir / "optimum.trace").string();
  const std::vector<std::string_view> args = {
      "optimize", "--overhang-range", "10,20",       "--offset-range", "20,25",
      "--id",     "My arm",           "--alignment", "lofgren-b"};
  const CliRun r = run(args);
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 15u) << r.out;
  EXPECT_EQ(lines[0], "Your arm's optimum, least peak distortion: My arm");
  EXPECT_EQ(lines[6], "                             Optimum   L\u00F6fgren B");
  EXPECT_EQ(lines[7], "Overhang (mm)                 17.297      17.769");
  EXPECT_EQ(lines[12], "Peak |distortion| (%)          0.724       1.193");
  EXPECT_EQ(lines[13], "  at radius (mm)              57.500      57.500");

  // The template is the one of its null radii as --nulls, headed as the arm's optimum.
  std::vector<std::string_view> json_args = args;
  json_args.insert(json_args.end(), {"--format", "json", "-o", file});
  const CliRun json = run(json_args);
  ASSERT_EQ(json.code, 0) << json.err;
  std::string nulls = json_value(json.out, "null_radii_mm");
  nulls.erase(std::remove_if(nulls.begin(), nulls.end(),
                             [](char c) { return c == '[' || c == ']' || c == ' '; }),
              nulls.end());
  const CliRun custom =
      run({"template", "--nulls", nulls, "--id", "My arm", "--format", "trace", "-o", "-"});
  std::string expected = custom.out;
  const std::string heading = "My arm - Custom nulls";
  ASSERT_NE(expected.find(heading), std::string::npos);
  expected.replace(expected.find(heading), heading.size(), "My arm - Your arm's optimum (peak)");
  EXPECT_EQ(file_text(file), expected);

  // An underhung optimum has one null radius: the report, and no template, with the reason.
  fs::remove(file);
  const CliRun one = run({"optimize", "--overhang-range", "-40,-10", "--offset-range", "0,30",
                          "--criterion", "rms", "-o", file});
  EXPECT_EQ(one.code, 1);
  EXPECT_EQ(lines_of(one.out).size(), 15u);
  EXPECT_NE(one.err.find("veltrane-cli: no template: the optimum has one null radius ("),
            std::string::npos)
      << one.err;
  EXPECT_FALSE(fs::exists(file));
  // A template that cannot be written: its problem alone, no report that looks like success.
  const CliRun unwritable = run({"optimize", "--overhang-range", "10,25", "--offset-range", "22",
                                 "-o", (dir / "no-such-folder" / "t.pdf").string()});
  EXPECT_EQ(unwritable.code, 2);
  EXPECT_EQ(unwritable.out, "");
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace veltrane
