#include "cli/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/field_values.h"
#include "app/read_fields.h"
#include "print/trace_device.h"
#include "template/template_page.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun run(std::vector<std::string_view> args) {
  std::ostringstream out, err;
  const int code = run_cli(args, out, err);
  return {code, out.str(), err.str()};
}

std::string line(const std::string& text, int index) {
  std::istringstream lines(text);
  std::string result;
  for (int i = 0; i <= index; ++i) std::getline(lines, result);
  return result;
}

TEST(CliSummary, InitialContentsEndWithOneLineFeed) {
  const CliRun r = run({"summary"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.substr(r.out.size() - 24), "Offset angle = 23.752\u00B0\n");
  EXPECT_EQ(r.out.find("\n\n"), std::string::npos);
}

TEST(CliSummary, FieldOptionsReadLikeTheWindow) {
  // clang-format off
  const struct { std::vector<std::string_view> args; int line; const char* text; } cases[] = {
      {{"summary", "--pivot", "-3"},            3, "Pivot to spindle distance = -3.000"},
      {{"summary", "--pivot=-3"},               3, "Pivot to spindle distance = -3.000"},
      {{"summary", "--pivot", "abc"},           3, "Pivot to spindle distance = 0.000"},
      {{"summary", "--pivot", "  209mm"},       3, "Pivot to spindle distance = 209.000"},
      {{"summary", "--inner", "60.325"},        1, "Inner groove radius = 60.325"},
      {{"summary", "--outer", "&H91"},          2, "Outer groove radius = 145.000"},
      {{"summary", "--alignment", "stevenson-a"}, 5, "Outer null radius = 115.522"},
      {{"summary", "--alignment=lofgren-b"},    4, "Inner null radius = 67.414"},
      {{"summary", "--id", "Test arm"},         0, "ID = Test arm                                "},
      {{"summary", "--id", "\u00D6\u4E2D=x"},   0, "ID = \u00D6?=x                                    "},
      {{"summary", "--id=a=b"},                 0, "ID = a=b                                     "},
      {{"summary", "--correction-x", "2"},      1, "Inner groove radius = 57.500"},
      {{"summary", "--inner", ""},              8, "Offset angle = 0.000\u00B0"},
      {{"summary", "--pivot", "1e9999"},        3, "Pivot to spindle distance = inf"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(line(r.out, c.line), c.text) << c.args.back();
  }
}

TEST(CliErrors, OneLineAndUsageWithExitCodeTwo) {
  // clang-format off
  const std::vector<std::string_view> cases[] = {
      {}, {"frobnicate"}, {"summary", "--bogus", "1"}, {"summary", "--pivot"},
      {"summary", "--alignment", "baerwald"}, {"summary", "-o", "x.pdf"},
      {"summary", "stray"}, {"template"}, {"template", "-o", "x.doc"},
      {"template", "-o", "-", "--format", "gif"}, {"template", "-o", "-", "--format=trace", "--dpi", "0"},
      {"template", "-o", "-", "--format=trace", "--dpi", "96x"}, {"template", "-o", "x.png", "--dpi", "2400"},
      {"template", "-o", "x.pdf", "--paper", "a3"}, {"strobe"}, {"strobe", "40hz"},
      {"strobe", "60hz", "--outer", "12", "-o", "-", "--format", "trace"},
      {"template", "--caption1", "x", "-o", "-"},
  };
  // clang-format on
  for (const auto& args : cases) {
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 2) << (args.empty() ? "(none)" : args.back());
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("veltrane-cli: ")) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    EXPECT_NE(r.err.find("\nusage: veltrane-cli"), std::string::npos);
  }
}

TEST(CliHelp, DocumentsEveryCommand) {
  for (const auto& args : {std::vector<std::string_view>{"--help"},
                           std::vector<std::string_view>{"template", "--help"}}) {
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0);
    for (const char* word : {"summary", "template", "strobe 60hz|50hz", "--caption1", "--dpi",
                             "--paper", "--format", "-o"})
      EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
}

TEST(CliPages, TemplateTraceEqualsThePageForTheSameFields) {
  FieldValues fields = initial_main_window_fields();
  fields.set_text(id_pivot, "239.3");
  fields.set_option(id_lofgren_a, id_stevenson_a, id_lofgren_b);
  ParameterSet set;
  read_parameters(set, fields);
  std::ostringstream expected;
  print_template_page(set, trace_opener(expected, 300));
  const CliRun r = run({"template", "--pivot", "239.3", "--alignment", "lofgren-b", "--format",
                        "trace", "--dpi", "300", "-o", "-"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, expected.str());
}

TEST(CliPages, StrobeKindsAndCustomFields) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* expected; } cases[] = {
      {{"strobe", "60hz"}, "text \"45 RPM - 60 HZ - 160 BARS\""},
      {{"strobe", "50hz"}, "text \"(must drift CCW 5 bars per 20sec)\""},
      {{"strobe", "custom"}, "text \"33 1/3 RPM - 60 HZ - 216 BARS\""},
      {{"strobe", "custom", "--outer", "100", "--inner", "72", "--caption1", "A"},
       "text \"                 A                  \""},
      {{"strobe", "custom", "--inner", "133", "--outer=180"}, "must drift"},
      {{"strobe", "50hz", "--correction-y", "2"}, "font Arial 36 regular"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args = c.args;
    args.insert(args.end(), {"--format", "trace", "-o", "-"});
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("open \"Print Job\"\npage portrait 600 600\n"));
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.expected;
  }
}

class CliFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("veltrane-cli-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(CliFiles, FormatFollowsTheExtensionAndTheFileIsWholeOrAbsent) {
  const std::string path = (dir_ / "page.TRACE").string();
  EXPECT_EQ(run({"template", "-o", path}).code, 0);
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_TRUE(text.str().ends_with("close\n"));

  const std::string unwritable = (dir_ / "missing" / "page.trace").string();
  const CliRun r = run({"template", "-o", unwritable});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_FALSE(std::filesystem::exists(unwritable));
  // Nothing but the finished file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

}  // namespace
}  // namespace veltrane
