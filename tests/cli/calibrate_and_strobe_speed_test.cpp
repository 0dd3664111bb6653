#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/page_title.h"
#include "cli/cli.h"
#include "cli_run.h"

namespace veltrane {
namespace {

std::size_t count_of(const std::string& text, std::string_view part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(CliCalibrate, NewFactorsFromTheMeasuredReferences) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* x; const char* y; } cases[] = {
      {{"--measured-x", "199", "--measured-y", "200.5"}, "1.0050", "0.9975"},
      {{"--measured-x=200", "--measured-y=200"},         "1.0000", "1.0000"},
      {{"--measured-x", "201", "--measured-y", "198", "--correction-x", "1.005",
        "--correction-y", "1.0101"},                     "1.0000", "1.0203"},
      {{"--measured-x", "160", "--measured-y", "200", "--correction-y", "1.03125"},
                                                         "1.2500", "1.0312"},
      {{"--as-typed", "--measured-x", "+2e2", "--measured-y", ".5e3", "--correction-x", "  1.1x"},
                                                         "1.1000", "0.4000"},
      {{"--as-typed", "--measured-x", "200", "--measured-y", "200", "--correction-x", "&H2",
        "--correction-y", "-1"},                         "2.0000", "-1.0000"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args = {"calibrate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], std::string("correction_x = ") + c.x);
    EXPECT_EQ(lines[1], std::string("correction_y = ") + c.y);
    EXPECT_EQ(lines[3], std::string("  veltrane-cli template --correction-x ") + c.x +
                            " --correction-y " + c.y + " -o template.pdf");
    EXPECT_EQ(lines[4], std::string("In the window, type ") + c.x +
                            " into \"Printer Correction Factor X\" and " + c.y +
                            " into \"Printer Correction Factor Y\".");
  }
}

TEST(CliCalibrate, WarnsOncePerDoubtfulLengthOrUnusableFactorAndStillAnswers) {
  // clang-format off
  const struct { std::vector<std::string_view> args; std::size_t lines; std::vector<const char*> parts; } cases[] = {
      {{"--measured-x", "180", "--measured-y", "220"},   0, {}},
      {{"--measured-x", "179.9", "--measured-y", "200"}, 1, {"measured X length 179.9 mm", "\"X=200mm\""}},
      {{"--measured-x", "200", "--measured-y", "7.87"},  1, {"measured Y length 7.87 mm", "\"Y=200mm\""}},
      {{"--measured-x", "250", "--measured-y", "150"},   2, {"measured X length 250 mm", "measured Y length 150 mm"}},
      {{"--measured-x", "200", "--measured-y", "200", "--correction-y", "-1.01"},
                                                         1, {"correction factor Y -1.01 cannot"}},
      {{"--measured-x", "100", "--measured-y", "200", "--correction-x", "-1"},
                                                         2, {"measured X length 100 mm", "correction factor X -1 cannot"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args = {"calibrate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.starts_with("correction_x = "));
    const auto lines = lines_of(r.err);
    EXPECT_EQ(lines.size(), c.lines) << r.err;
    for (const char* part : c.parts) EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
    for (const auto& line : lines) EXPECT_TRUE(line.starts_with("veltrane-cli: warning: "));
  }
}

TEST(CliCalibrate, AFactorThatReadsAsZeroOrInfiniteIsRefusedNamingItsCause) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* error; } cases[] = {
      {{"--measured-x", "200", "--measured-y", "200", "--correction-x", "0"},
       "correction factor X 0.0000 would print no page: correction factor X 0 cannot"},
      {{"--measured-x", "100", "--measured-y", "200", "--correction-x", "abc"},
       "correction factor X must be a number, such as 1.0, not 'abc'"},
      {{"--measured-x", "200", "--measured-y", "200", "--correction-y", "0.00001"},
       "correction factor Y 0.0000 would print no page: correction factor Y 1e-05 cannot"},
      {{"--measured-x", "200", "--measured-y", "200", "--correction-y", "1e999"},
       "correction factor Y must be a number, such as 1.0, not '1e999'"},
      {{"--measured-x", "1e-308", "--measured-y", "200"},
       "correction factor X inf would print no page: measured X length 1e-308 mm is no length"},
      {{"--measured-x", "200", "--measured-y", "1e308"},
       "correction factor Y 0.0000 would print no page: measured Y length 1e+308 mm is no length"},
      {{"--measured-x", "200", "--measured-y", "4e6", "--correction-y", "0.001"},
       "correction factor Y 0.0000 would print no page: measured Y length 4e+06 mm is no length"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args = {"calibrate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with(std::string("veltrane-cli: ") + c.error)) << r.err;
    EXPECT_EQ(lines_of(r.err).size(), 2u) << r.err;  // the problem and the usage line
  }
}

TEST(CliCalibrate, ArgumentMistakes) {
  for (const std::string_view bad :
       {"0", "-200", "inf", "nan", "1e999", "200mm", "", "0x10", "2,5"})
    expect_usage_error({"calibrate", "--measured-x", "200", "--measured-y", bad});
  // clang-format off
  const std::vector<std::string_view> cases[] = {
      {"calibrate"}, {"calibrate", "--measured-x", "200"}, {"calibrate", "--measured-y", "200"},
      {"calibrate", "--measured-x", "200", "--measured-y"},
      {"calibrate", "--measured-x", "200", "--measured-y", "200", "--pivot", "209"},
      {"calibrate", "--measured-x", "200", "--measured-y", "200", "-o", "x.pdf"},
  };
  // clang-format on
  for (const auto& args : cases) expect_usage_error(args);
}

// Exact speeds may be written exactly; the standard speeds give the standard bars with the
// page's own texts.
TEST(CliStrobeSpeed, FractionsAndTheStandardSpeeds) {
  const auto page = [](std::vector<std::string_view> args) {
    args.insert(args.begin(), {"strobe", "speed"});
    args.insert(args.end(), {"--format", "trace", "-o", "-"});
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    return r.out;
  };
  const std::string exact = page({"--rpm", "33 1/3,45", "--hz", "60"});
  EXPECT_EQ(page({"--rpm", "100/3,45/1", "--hz", "60"}), exact);
  EXPECT_EQ(count_of(exact, "\npie "),
            count_of(run({"strobe", "60hz", "-o", "-", "--format", "trace"}).out, "\npie "));
  EXPECT_NE(exact.find("text \"outer: 33 1/3 RPM - 60 HZ - 216 BARS\"\n"), std::string::npos);
  EXPECT_NE(exact.find("text \"At 33 1/3 RPM it takes\""), std::string::npos);
  EXPECT_EQ(exact.find("must drift"), std::string::npos) << "both rings stand still";
  // 33.333 is not 33 1/3: its ring drifts, and the page says so.
  EXPECT_NE(page({"--rpm", "33.333,45", "--hz", "60"})
                .find("text \"(must drift CCW 0.024 bars per 20sec)\""),
            std::string::npos);
}

TEST(CliStrobeSpeed, CountsCaptionsDriftAndOneLinePerRing) {
  // clang-format off
  const struct {
    std::vector<std::string_view> args; std::size_t pies; const char* caption_1; const char* caption_2;
    std::size_t drifts; const char* report;
  } cases[] = {
      {{"--rpm", "78"}, 77, "78 RPM - 50 HZ - 77 BARS", nullptr, 1,
       "outer ring: 77 bars stand still at 77.922 RPM, -0.100 % from 78 RPM; "
       "at 78 RPM they must drift CW 2 bars per 20sec\n"},
      {{"--rpm", "78,16 2/3", "--hz", "60"}, 92 + 432,
       "outer: 78 RPM - 60 HZ - 92 BARS", "inner: 16 2/3 RPM - 60 HZ - 432 BARS", 1,
       "\ninner ring: 432 bars stand still at 16.667 RPM, 0.000 % from 16.667 RPM\n"},
      {{"--rpm", "45,33.3333333333", "--hz", "50"}, 133 + 180,
       "outer: 45 RPM - 50 HZ - 133 BARS", "inner: 33 1/3 RPM - 50 HZ - 180 BARS", 1,
       "at 45 RPM they must drift CCW 5 bars per 20sec\ninner ring: 180 bars"},
      // Over 65,536 bars a ring is drawn as a band; a caption is never cut.
      {{"--rpm", "123.4567,1", "--hz", "1234.5678"}, 1200,
       "outer: 123.457 RPM - 1234.568 HZ - 1200 BARS", "inner: 1 RPM - 1234.568 HZ - 148148 BARS", 2,
       "\ninner ring: 148148 bars stand still at 1 RPM"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args = {"strobe", "speed"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--format", "trace", "-o", "-"});
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(count_of(r.out, "\npie "), c.pies) << c.args[1];
    for (const char* caption : {c.caption_1, c.caption_2}) {
      if (caption) {
        EXPECT_NE(r.out.find(std::string("text \"") + caption + "\""), std::string::npos)
            << caption;
      }
    }
    EXPECT_EQ(count_of(r.out, "must drift"), c.drifts) << c.args[1];
    EXPECT_EQ(lines_of(r.err).size(), c.args[1].find(',') == std::string_view::npos ? 1u : 2u);
    EXPECT_NE(r.err.find(c.report), std::string::npos) << r.err;
  }
}

TEST(CliStrobeSpeed, PageTitleNamesTheSpeedsAndTheFrequency) {
  const StrobeRing r78 = *make_strobe_ring(78, 50);
  const StrobeRing r16 = *make_strobe_ring(16.667, 59.94);
  const StrobeRing r45 = *make_strobe_ring(45, 59.94);
  EXPECT_EQ(strobe_speed_page_title(std::vector{r78}), "Strobe disk 78 RPM, 50 Hz");
  EXPECT_EQ(strobe_speed_page_title(std::vector{r45, r16}),
            "Strobe disk 45 and 16 2/3 RPM, 59.94 Hz");
}

TEST(CliStrobeSpeed, ArgumentMistakes) {
  for (const std::string_view bad :
       {"",      "0",     "-45",  "45,", ",45", "45,,78", "33,45,78", "inf",   "nan", "45,x", "45 ",
        "45;78", "12000", "1e-9", "1/0", "0/3", "33 1/",  "33.5 1/2", "1/3/4", "-1/3"}) {
    // 12000 RPM: 0.5 bars round to 0; 1e-9 RPM: more bars than a count holds.
    expect_usage_error({"strobe", "speed", "--rpm", bad, "--format", "trace", "-o", "-"});
  }
  for (const std::string_view bad : {"0", "-50", "inf", "50Hz", "", "2147483648"})
    expect_usage_error({"strobe", "speed", "--rpm", "120", "--hz", bad, "-o", "x.trace"});
  // clang-format off
  const std::vector<std::string_view> cases[] = {
      {"strobe", "speed", "-o", "x.trace"}, {"strobe", "speed", "--rpm", "45"},
      {"strobe", "speed", "--rpm", "45", "--outer", "12", "-o", "x.trace"},
      {"strobe", "speed", "--rpm", "45", "--caption1", "x", "-o", "x.trace"},
  };
  // clang-format on
  for (const auto& args : cases) expect_usage_error(args);
}

TEST(CliHelp, DocumentsCalibrateAndStrobeSpeed) {
  const CliRun r = run({"--help"});
  for (const char* word :
       {"calibrate --measured-x MM --measured-y MM", "--measured-y",
        "strobe speed --rpm OUTER[,INNER] [--hz F]", "120 x F / s", "CCW", "33 1/3"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace veltrane
