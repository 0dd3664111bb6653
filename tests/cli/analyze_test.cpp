#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "app/read_fields.h"
#include "chart/chart_page.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "model/number_format.h"
#include "print/trace_device.h"

namespace veltrane {
namespace {

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    fields.push_back(line.substr(start, comma - start));
  fields.push_back(line.substr(start));
  return fields;
}

TEST(CliAnalyze, ArgumentMistakes) {
  // clang-format off
  const std::vector<std::string_view> cases[] = {
      {"--rpm", "0"}, {"--rpm", "-33"}, {"--rpm", "abc"}, {"--rpm", "inf"}, {"--rpm", "nan"},
      {"--rpm", "0x21"}, {"--rpm", "1e999"}, {"--rpm", ""}, {"--rpm", " 33"}, {"--rpm", "33 "},
      {"--rpm", "33,3"}, {"--rpm", "1/0"}, {"--rpm", "."}, {"--rpm", "1e"}, {"--velocity", "-1"},
      {"--step", "0"}, {"--step", "0.000"}, {"--step", "1e-9"}, {"--step=-1"},
      {"--arm-length", "230"}, {"--arm-offset", "23"}, {"--arm-length", "230", "--arm-offset", "0"},
      {"--format", "gif"}, {"--format", "png", "--dpi", "2400"}, {"--dpi", "0"},
      {"--paper", "a5"}, {"--alignment", "baerwald"}, {"--bogus", "1"}, {"stray"}, {"--rpm"},
      {"--caption1", "x"},
      // Beyond a right angle, and steps beyond the span of the radii (88.55 mm).
      {"--arm-length", "230", "--arm-offset", "90.5"}, {"--arm-length", "230", "--arm-offset", "1e308"},
      {"--step", "88.56"}, {"--step", "1e308"},
  };
  // clang-format on
  for (const auto& words : cases) {
    std::vector<std::string_view> args{"analyze"};
    args.insert(args.end(), words.begin(), words.end());
    expect_usage_error(args, "usage: veltrane-cli analyze");
  }
}

TEST(CliAnalyze, NumbersAsPeopleWriteThem) {
  // clang-format off
  const struct { std::string_view text; const char* shown; } cases[] = {
      {"45", "45.000"}, {"+45", "45.000"}, {"45.", "45.000"}, {".5", "0.500"},
      {"4.5e1", "45.000"}, {"450E-1", "45.000"}, {"78.26", "78.260"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const CliRun r = run({"analyze", "--rpm", c.text});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(lines_of(r.out).at(3),
              std::string("Speed = ") + c.shown + " rpm, peak velocity = 100.000 mm/s");
  }
}

TEST(CliAnalyze, TheEdgesOfTheArgumentsAreAccepted) {
  // A step of the whole span: the two groove radii; an offset of a right angle; the
  // radius below 0 an arm as given has for a null point is none.
  const CliRun r = run({"analyze", "--step", "88.55", "--arm-length", "100", "--arm-offset", "90",
                        "--format", "csv"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(lines_of(r.out).size(), 1u + 4 * 2);
  const CliRun nulls = run(
      {"analyze", "--arm-length", "100", "--arm-offset", "20", "--format", "json", "--step", "50"});
  EXPECT_NE(nulls.out.find("\"inner_null_radius_mm\": null"), std::string::npos);
}

TEST(CliAnalyze, TextForTheInitialFields) {
  const CliRun r = run({"analyze"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = lines_of(r.out);
  // clang-format off
  const char* expected[] = {
      "Alignment analysis",
      "Pivot to spindle distance = 209.000 mm",
      "Groove radii = 57.500 to 146.050 mm in steps of 1.000 mm",
      "Speed = 33.333 rpm, peak velocity = 100.000 mm/s",
      "",
      "                           L\u00F6fgren A    L\u00F6fgren B  Stevenson A",
      "                            (chosen)",
      "Inner null radius (mm)        63.103       67.414       57.500",
      "Outer null radius (mm)       119.173      114.862      115.522",
      "Effective length (mm)        226.277      226.769      224.329",
      "Overhang (mm)                 17.277       17.769       15.329",
      "Offset angle (deg)            23.752       23.697       22.684",
      "Peak |error| (deg)             2.129        2.338        2.587",
      "  at radius (mm)             146.050      146.050      146.050",
      "Peak |distortion| (%)          0.729        1.193        0.886",
      "  at radius (mm)             146.050       57.500      146.050",
      "RMS distortion (%)             0.484        0.445        0.587",
  };
  // clang-format on
  ASSERT_GT(lines.size(), std::size(expected) + 90);
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
  EXPECT_EQ(lines[std::size(expected) + 4],
            "     57.500      -0.834    -0.145    -0.725      -1.372    -0.239    -1.193"
            "       0.000     0.000     0.000");
  EXPECT_TRUE(lines.back().starts_with("    146.050      -2.129    -0.146    -0.729"));
  EXPECT_EQ(lines.size(), std::size(expected) + 4 + 90);
}

TEST(CliAnalyze, ArmAsGivenAndUnreachableRadii) {
  const CliRun r = run({"analyze", "--pivot", "240", "--inner", "20", "--outer", "600", "--step",
                        "10", "--arm-length", "250", "--arm-offset", "30", "--alignment",
                        "stevenson-a", "--id", "Arm \"7\""});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> lines = lines_of(r.out);
  EXPECT_EQ(lines[0], "Alignment analysis: Arm \"7\"");
  EXPECT_TRUE(lines[5].ends_with("Stevenson A     As given")) << lines[5];
  EXPECT_TRUE(lines[6].ends_with("     (chosen)")) << lines[6];
  // 125 -/+ sqrt(10725): 21.438 and 228.562 both lie on the record.
  EXPECT_TRUE(lines[7].ends_with("      21.438*")) << lines[7];
  EXPECT_TRUE(lines[8].ends_with("     228.562*")) << lines[8];
  EXPECT_NE(r.out.find("\n* a null radius between the inner and outer groove radius\n"),
            std::string::npos);
  // Far out the arms cannot reach: "-" in every column.
  EXPECT_TRUE(lines.back().starts_with("    600.000           -         -         -"))
      << lines.back();
}

TEST(CliAnalyze, CsvNumbersReadBackExactly) {
  const CliRun r = run({"analyze", "--format", "csv", "--step", "0.37", "--inner", "20", "--outer",
                        "500", "--arm-length", "230", "--arm-offset", "22"});
  ASSERT_EQ(r.code, 0) << r.err;
  AnalysisOptions options;
  options.step_mm = 0.37;
  options.as_given = ArmAsGiven{230, 22};
  ParameterSet set;
  MainWindowFields fields = initial_main_window_fields();
  fields.inner_radius = "20";
  fields.outer_radius = "500";
  read_parameters(set, fields);
  const Analysis analysis = analyse_alignments(set, options);
  const std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines[0],
            "alignment,radius_mm,tracking_error_deg,weighted_error_deg_per_cm,distortion_percent");
  ASSERT_EQ(lines.size(), 1 + 4 * analysis.radii_mm.size());
  std::size_t line = 1;
  std::size_t empty = 0;
  for (const ArmAnalysis& arm : analysis.arms) {
    for (std::size_t i = 0; i < analysis.radii_mm.size(); ++i, ++line) {
      const std::vector<std::string> f = fields_of(lines[line]);
      ASSERT_EQ(f.size(), 5u) << lines[line];
      EXPECT_EQ(f[0], arm.key);
      const double expected[] = {analysis.radii_mm[i], arm.rows[i].tracking_error_deg,
                                 arm.rows[i].weighted_error_deg_per_cm,
                                 arm.rows[i].distortion_percent};
      for (int k = 0; k < 4; ++k) {
        if (std::isnan(expected[k])) {
          EXPECT_EQ(f[k + 1], "");
          ++empty;
        } else {
          EXPECT_EQ(std::strtod(f[k + 1].c_str(), nullptr), expected[k]) << lines[line];
          EXPECT_EQ(f[k + 1], shortest_number(expected[k]));
        }
      }
    }
  }
  EXPECT_GT(empty, 0u);
  // clang-format off
  const struct { double value; const char* text; } shortest[] = {
      {57.5, "57.5"}, {146.05, "146.05"}, {100.0 / 3, "33.333333333333336"}, {1e-5, "1e-05"},
      {-0.0, "-0"}, {1e300, "1e+300"}, {0.1 + 0.2, "0.30000000000000004"},
  };
  // clang-format on
  for (const auto& c : shortest) EXPECT_EQ(shortest_number(c.value), c.text);
}

TEST(CliAnalyze, JsonHoldsNullsAndEscapedTexts) {
  const CliRun r =
      run({"analyze", "--format", "json", "--inner", "400", "--outer", "440", "--step", "20",
           "--id", "a\"b\\c", "--rpm", "45", "--arm-length", "10", "--arm-offset", "5"});
  ASSERT_EQ(r.code, 0) << r.err;
  // clang-format off
  const char* expected[] = {
      "{\n  \"inputs\": {\n    \"id\": \"a\\\"b\\\\c\",\n    \"pivot_to_spindle_mm\": 209,\n",
      "    \"rpm\": 45,\n    \"velocity_mm_per_s\": 100,\n    \"step_mm\": 20,\n"
      "    \"arm_length_mm\": 10,\n    \"arm_offset_deg\": 5\n  },\n"
      "  \"no_radii_reason\": null,\n",
      R"("chosen_alignment": "lofgren-a")",
      "      \"alignment\": \"lofgren-b\",\n      \"name\": \"L\u00F6fgren B\",\n"
      "      \"chosen\": false,\n",
      "{\"radius_mm\": 420, \"tracking_error_deg\": null, \"weighted_error_deg_per_cm\": null, "
      "\"distortion_percent\": null}",
      "      \"rms_distortion_percent\": null,\n",
  };
  // clang-format on
  for (const char* part : expected) EXPECT_NE(r.out.find(part), std::string::npos) << part;
  EXPECT_EQ(r.out.find("nan"), std::string::npos);
  EXPECT_EQ(r.out.find("inf"), std::string::npos);
  EXPECT_TRUE(r.out.ends_with("\n  ]\n}\n"));
}

TEST(CliAnalyze, NoRadiiSayWhy) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* text; } cases[] = {
      {{"--inner", "146.05", "--outer", "57.5"},
       "No radii: the inner groove radius is not less than the outer groove radius."},
      {{"--outer", "57.5"}, "No radii: the inner groove radius is not less than the outer"},
      {{"--inner", "1e999"}, "No radii: the groove radii are not both finite numbers."},
      {{"--inner", "146.05", "--outer", "57.5", "--format", "json"},
       R"("no_radii_reason": "the inner groove radius is not less than the outer groove radius")"},
      {{"--inner", "146.05", "--outer", "57.5", "--format", "json"}, R"("rows": [])"},
      {{"--inner", "146.05", "--outer", "57.5", "--format", "trace"},
       "text \"No radii: the inner groove radius is not less than the outer groove radius.\""},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string_view> args{"analyze", "--as-typed"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(c.text), std::string::npos) << c.text << "\n" << r.out;
  }
  // CSV has no comments: its header alone, and why on standard error.
  const CliRun csv =
      run({"analyze", "--as-typed", "--inner", "146.05", "--outer", "57.5", "--format", "csv"});
  EXPECT_EQ(csv.code, 0);
  EXPECT_EQ(
      csv.out,
      "alignment,radius_mm,tracking_error_deg,weighted_error_deg_per_cm,distortion_percent\n");
  EXPECT_EQ(csv.err,
            "veltrane-cli: warning: no radii: the inner groove radius is not less than the outer "
            "groove radius\n");
}

TEST(CliAnalyze, OddFieldsGiveWellFormedOutput) {
  for (const char* pivot : {"0", "1e300", "-209", "abc", "1e999"}) {
    for (const char* format : {"text", "csv", "json", "trace"}) {
      const CliRun r =
          run({"analyze", "--as-typed", "--pivot", pivot, "--format", format, "--velocity", "1e308",
               "--arm-length", "1e300", "--arm-offset", "1e-300"});
      EXPECT_EQ(r.code, 0) << pivot << ' ' << format << r.err;
      EXPECT_TRUE(r.out.ends_with('\n')) << pivot << ' ' << format;
      if (std::string_view(format) == "json") {
        EXPECT_EQ(r.out.find("nan"), std::string::npos);
        EXPECT_EQ(r.out.find("inf"), std::string::npos);
      }
      if (std::string_view(format) == "csv") {
        for (const std::string& line : lines_of(r.out)) EXPECT_EQ(fields_of(line).size(), 5u);
      }
    }
  }
}

TEST(CliAnalyze, ChartTraceEqualsThePageForTheSameFields) {
  MainWindowFields fields = initial_main_window_fields();
  fields.pivot = "239.3";
  fields.alignment = alignment_lofgren_b;
  ParameterSet set;
  read_parameters(set, fields);
  AnalysisOptions options;
  options.rpm = 45;
  std::ostringstream expected;
  print_chart_page(set, analyse_alignments(set, options), trace_opener(expected, 300));
  const CliRun r = run({"analyze", "--pivot", "239.3", "--alignment", "lofgren-b", "--rpm", "45",
                        "--format", "trace", "--dpi", "300", "-o", "-"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, expected.str());
  EXPECT_TRUE(r.out.starts_with("open \"Print Job\"\npage landscape 300 300\n"));
}

TEST(CliAnalyze, HelpDocumentsTheCommand) {
  for (const auto& args : {std::vector<std::string_view>{"--help"},
                           std::vector<std::string_view>{"analyze", "--help"}}) {
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0);
    for (const char* word : {"analyze", "--rpm", "--velocity", "--step", "--arm-length",
                             "--arm-offset", "text|csv|json", "unreachable radii are left out"})
      EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace veltrane
