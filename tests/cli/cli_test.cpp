#include "cli/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/page_kinds.h"
#include "app/page_title.h"
#include "app/read_fields.h"
#include "cli/arguments.h"
#include "cli/options.h"
#include "cli_run.h"
#include "model/standard_strobes.h"
#include "model/version.h"
#include "print/file_output.h"
#include "print/trace_device.h"
#include "template/template_page.h"

namespace veltrane {
namespace {

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
    std::vector<std::string_view> args = c.args;
    args.emplace_back("--as-typed");
    const CliRun r = run(args);
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
      {"template", "-o", "-", "--format=trace", "--paper", "a5"},
      {"template", "-o", "-", "--format=trace", "--paper", "A4"},
      {"strobe", "50hz", "-o", "-", "--format=trace", "--paper="},
      {"template", "-o", "-", "--format=trace", "--paper"}, {"strobe"}, {"strobe", "40hz"},
      {"strobe", "60hz", "--outer", "12", "-o", "-", "--format", "trace"},
      {"template", "--caption1", "x", "-o", "-"},
  };
  // clang-format on
  for (const auto& args : cases) expect_usage_error(args);
}

TEST(CliErrors, UserTextInAMessageKeepsItToOneLine) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* shown; } cases[] = {
      {{"tem\nplate"},                                          "'tem\\nplate'"},
      {{"strobe", "6\r0hz"},                                     "'6\\r0hz'"},
      {{"summary", "--bo\tgus", "1"},                            "'--bo\\tgus'"},
      {{"summary", "--alignment", "\x1b[2Jx"},                   "'\\x1b[2Jx'"},
      {{"strobe", "speed", "--rpm", "45\n78", "--format", "trace", "-o", "-"}, "'45\\n78'"},
      {{"analyze", "--rpm", "3\xc2\x85" "3"},                    "'3\\u00853'"},
      {{"template", "-o", "/no/such/folder/a\nb.trace"},          "'/no/such/folder/a\\nb.trace'"},
      {{"template", "-o", "/dev/null/x\x7f.trace"}, "'/dev/null/x\\x7f.trace'"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err;
    const auto lines = lines_of(r.err);
    EXPECT_EQ(lines.size(), lines[0].find("cannot write") != std::string::npos ? 1u : 2u) << r.err;
  }
}

// The option table is all the parser and --help know: an option must be taken by every
// command it names and be listed in --help.
TEST(CliOptions, EachOptionIsTakenByItsCommandsAndListedInHelp) {
  // clang-format off
  const struct { Command command; std::vector<std::string_view> words; } commands[] = {
      {Command::summary, {"summary"}}, {Command::template_page, {"template"}},
      {Command::strobe_60hz, {"strobe", "60hz"}}, {Command::strobe_50hz, {"strobe", "50hz"}},
      {Command::strobe_custom, {"strobe", "custom"}}, {Command::strobe_speed, {"strobe", "speed"}},
      {Command::calibrate, {"calibrate"}}, {Command::analyze, {"analyze"}},
  };
  // clang-format on
  const std::string help = help_text(Command::help);
  for (const Option& option : options()) {
    const std::string value = option.kind == ValueKind::choice ? std::string(option.choices[0])
                              : option.kind == ValueKind::dots ? "300"
                                                               : "1";
    int taken = 0;
    for (const auto& c : commands) {
      if ((option.commands & command_bit(c.command)) == 0) continue;
      ++taken;
      std::vector<std::string_view> args = c.words;
      args.insert(args.end(), {option.name, value});
      Request request;
      try {
        parse_request(args, request);
      } catch (const UsageError& error) {
        EXPECT_FALSE(error.message.starts_with("unknown option")) << option.name;
      }
    }
    EXPECT_GT(taken, 0) << option.name;
    // A label-less option is listed with the one before it.
    const std::string listed = "\n  " + std::string(option.label);
    EXPECT_NE(help.find(listed), std::string::npos) << option.name;
  }
}

TEST(CliErrors, PaperNamesEveryChoice) {
  const CliRun r = run({"template", "-o", "-", "--format=trace", "--paper", "a5"});
  EXPECT_EQ(line(r.err, 0),
            "veltrane-cli: --paper must be a4, a3, letter, legal or tabloid, not 'a5'");
}

std::string template_paper_warning(const ParameterSet& set, Paper paper, double margin_mm = 0) {
  return page_paper_warning(page_kind("template"), PageInputs{set, {}, {}}, paper, margin_mm);
}

ParameterSet template_set(const char* pivot, std::int16_t alignment, const char* cx,
                          const char* cy) {
  MainWindowFields fields = initial_main_window_fields();
  fields.pivot = pivot;
  fields.correction_x = cx;
  fields.correction_y = cy;
  if (alignment != 0) fields.alignment = alignment;
  ParameterSet set;
  read_parameters(set, fields);
  return set;
}

TEST(CliTitles, NameWhatThePageIs) {
  // clang-format off
  const struct { const char* pivot; std::int16_t alignment; const char* title; } cases[] = {
      {"209",      0,                     "Arc template 209 mm, L\u00F6fgren A"},
      {"239.3",    alignment_lofgren_b,   "Arc template 239.3 mm, L\u00F6fgren B"},
      {"238.1234", alignment_stevenson_a, "Arc template 238.123 mm, Stevenson A"},
      {"222.50",   0,                     "Arc template 222.5 mm, L\u00F6fgren A"},
      {"abc",      0,                     "Arc template 0 mm, L\u00F6fgren A"},
      {"1e9999",   0,                     "Arc template inf mm, L\u00F6fgren A"},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(template_page_title(template_set(c.pivot, c.alignment, "1", "1")), c.title);
  ParameterSet unknown = template_set("209", 0, "1", "1");
  unknown.alignment = 7;
  EXPECT_EQ(template_page_title(unknown), "Arc template 209 mm");
  EXPECT_EQ(analysis_page_title(template_set("222.50", 0, "1", "1")),
            "Alignment analysis 222.5 mm");
  EXPECT_EQ(standard_strobe_page_title(60), "Strobe disk 60 Hz");
  EXPECT_EQ(standard_strobe_page_title(50), "Strobe disk 50 Hz");
  EXPECT_EQ(custom_strobe_page_title(216, 160), "Strobe disk 216/160 bars");
  EXPECT_EQ(custom_strobe_page_title(-5, 0), "Strobe disk -5/0 bars");
}

TEST(CliPaper, WarnsOfCutOffMarksAndNamesTheSmallestPaperWithRoom) {
  const std::string pivot_cut = "the pivot cross and the pivot label";
  const std::string room = "; the smallest paper with room for every mark is ";
  const std::string no_room = "; no listed paper has room for every mark";
  // clang-format off
  const struct { const char* pivot; const char* cx; const char* cy; Paper paper; double margin; std::string warning; } cases[] = {
      {"209",   "1", "1", Paper::a4,      0, ""},
      {"209",   "1", "1", Paper::letter,  0, ""},
      {"239.3", "1", "1", Paper::a4,      0, ""},
      {"239.3", "1", "1", Paper::letter,  0, "letter paper cuts off " + pivot_cut + room + "a4"},
      {"233",   "1", "1", Paper::letter,  0, "letter paper cuts off the pivot label" + room + "a4"},
      {"230",   "1", "1", Paper::letter,  0, ""},
      {"260",   "1", "1", Paper::a4,      0, "a4 paper cuts off " + pivot_cut + room + "legal"},
      {"260",   "1", "1", Paper::legal,   0, ""},
      {"330",   "1", "1", Paper::legal,   0, "legal paper cuts off " + pivot_cut + room + "tabloid"},
      {"1000",  "1", "1", Paper::tabloid, 0, "tabloid paper cuts off " + pivot_cut + no_room},
      // Taller than A4: Letter is the narrower sheet, but its 215.9 mm hold the frame.
      {"209", "1", "1.05", Paper::a4, 0, "a4 paper cuts off the left reference line, the Y=200mm "
                                         "tick and the X=200mm Y=200mm cross" + room + "letter"},
      {"209", "1.1", "1", Paper::a3,  0, ""},
      // The margin band is off the sheet for a printer: the page has that much less room.
      {"209",   "1", "1", Paper::a4,      4,  ""},
      {"209",   "1", "1", Paper::letter,  4,  ""},
      {"239.3", "1", "1", Paper::a4,      4,  ""},
      {"230",   "1", "1", Paper::letter,  4,  "letter paper cuts off " + pivot_cut + room + "a4"},
      {"209",   "1", "1", Paper::a4,      25, "a4 paper cuts off the left reference line, the "
                                              "Y=180mm tick, the Y=200mm tick, the X=200mm Y=200mm "
                                              "cross, the X=200mm Y=180mm cross, " + pivot_cut + room + "tabloid"},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(template_paper_warning(template_set(c.pivot, 0, c.cx, c.cy), c.paper, c.margin),
              c.warning)
        << c.pivot << " " << static_cast<int>(c.paper) << " margin " << c.margin;
  // A mirrored page lies off every sheet.
  EXPECT_TRUE(template_paper_warning(template_set("209", 0, "-1", "1"), Paper::a3)
                  .starts_with("a3 paper cuts off the left reference line, the top reference"));
  EXPECT_TRUE(
      template_paper_warning(template_set("209", 0, "-1", "1"), Paper::a3).ends_with(no_room));
}

TEST(CliPaper, TraceHasNoSheetToWarnAbout) {
  const CliRun r =
      run({"template", "--pivot", "239.3", "--paper", "letter", "--format", "trace", "-o", "-"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
}

TEST(CliHelp, DocumentsEveryCommandAndEachCommandItsOwnPart) {
  const CliRun all = run({"--help"});
  EXPECT_EQ(all.code, 0);
  for (const char* word : {"summary", "template", "strobe 60hz|50hz", "--caption1", "--dpi",
                           "--paper", "--margin", "--format", "-o", "--version"})
    EXPECT_NE(all.out.find(word), std::string::npos) << word;
  // clang-format off
  const struct { std::vector<std::string_view> args; std::vector<const char*> in, out; } cases[] = {
      {{"template", "--help"}, {"veltrane-cli template", "--pivot", "--margin", "--paper"},
                               {"--caption1", "--rpm", "--measured-x", "veltrane-cli summary"}},
      {{"summary", "-h"},      {"veltrane-cli summary", "--pivot", "--id"},
                               {"--margin", "--dpi", "--caption1"}},
      {{"strobe", "--help"},   {"strobe 60hz|50hz", "strobe custom", "strobe speed", "--caption1",
                                "--rpm OUTER[,INNER]", "--margin"},
                               {"groove radius", "--measured-x", "veltrane-cli template"}},
      {{"strobe", "speed", "--help"}, {"strobe speed", "--hz F", "must drift", "--margin"},
                                      {"--caption1", "strobe custom"}},
      {{"calibrate", "--help"}, {"--measured-x", "--correction-x"}, {"--margin"}},
      {{"analyze", "--help"},  {"--velocity", "--margin", "text|csv|json"}, {"--caption1"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.code, 0) << c.args[0];
    EXPECT_EQ(r.err, "");
    for (const char* word : c.in) EXPECT_NE(r.out.find(word), std::string::npos) << word;
    for (const char* word : c.out)
      EXPECT_EQ(r.out.find(word), std::string::npos) << c.args[0] << ": " << word;
  }
}

TEST(CliVersion, PrintsTheVersion) {
  const CliRun r = run({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, std::string("veltrane-cli ") + version + "\n");
  EXPECT_EQ(r.err, "");
}

// The margin moves the page on the sheet and changes nothing else: the trace, the page's
// own dots, is the same for any margin.
TEST(CliMargin, TakesMillimetresFromZeroTo25ForEveryPage) {
  const std::string trace = run({"template", "--format", "trace", "-o", "-"}).out;
  for (const char* margin : {"0", "4", "12.5", "25", "+3", "0.0"})
    EXPECT_EQ(run({"template", "--margin", margin, "--format", "trace", "-o", "-"}).out, trace)
        << margin;
  for (const std::string_view bad : {"-1", "25.01", "1e9", "nan", "inf", "", "4mm", "x"})
    expect_usage_error({"template", "--margin", bad, "-o", "x.pdf"});
  for (const std::vector<std::string_view>& args :
       {std::vector<std::string_view>{"strobe", "60hz", "--margin", "0"},
        {"strobe", "custom", "--margin", "10"},
        {"strobe", "speed", "--rpm", "78", "--margin", "25"},
        {"analyze", "--margin", "5"}}) {
    std::vector<std::string_view> page = args;
    page.insert(page.end(), {"--format", "trace", "-o", "-"});
    EXPECT_EQ(run(page).code, 0) << args[0];
  }
  expect_usage_error({"summary", "--margin", "4"});
  expect_usage_error({"calibrate", "--measured-x", "200", "--measured-y", "200", "--margin", "4"});
}

// The help states defaults that the code keeps elsewhere; they must not drift apart.
TEST(CliHelp, StatesTheDefaultsThatApply) {
  const std::string help = run({"--help"}).out;
  const auto dpi = [](FileFormat format) { return std::to_string(default_dpi(format)); };
  const std::string resolutions = "pdf " + dpi(FileFormat::pdf) + ", svg " + dpi(FileFormat::svg) +
                                  ", png " + dpi(FileFormat::png) + ", trace " +
                                  dpi(FileFormat::trace);
  for (const std::string& text : {resolutions, "(" + std::to_string(strobe_60hz.outer_bars) + ")",
                                  "(" + std::to_string(strobe_60hz.inner_bars) + ")",
                                  "(\"" + std::string(strobe_60hz.caption_1) + "\")",
                                  "(\"" + std::string(strobe_60hz.caption_2) + "\")"})
    EXPECT_NE(help.find(text), std::string::npos) << text;
}

TEST(CliPages, TemplateTraceEqualsThePageForTheSameFields) {
  MainWindowFields fields = initial_main_window_fields();
  fields.pivot = "239.3";
  fields.alignment = alignment_lofgren_b;
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
