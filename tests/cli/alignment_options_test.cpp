#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_run.h"
#include "computed_set.h"
#include "golden.h"
#include "model/alignments.h"
#include "model/groove_presets.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

// The set of a groove preset's radii.
ParameterSet computed_for(double d, const GroovePreset& radii, std::int16_t alignment) {
  return computed_set(d, std::stod(std::string(radii.inner_mm)),
                      std::stod(std::string(radii.outer_mm)), alignment);
}

TEST(CliAlignmentOptions, NullsOfAnAlignmentReproduceItsSummary) {
  for (const GroovePreset& radii : groove_presets) {
    for (const char* pivot : {"180", "209", "222.004", "239.3", "310.5"}) {
      for (const auto& a : alignments) {
        const ParameterSet set = computed_for(std::stod(pivot), radii, a.code);
        // Given as the shortest text that reads back as the same double, outer first.
        const std::string nulls =
            shortest_number(set.outer_null_radius) + "," + shortest_number(set.inner_null_radius);
        const CliRun expected =
            run({"summary", "--radii", radii.key, "--pivot", pivot, "--alignment", a.key});
        const CliRun custom = run({"summary", "--radii", radii.key, "--pivot", pivot, "--nulls",
                                   nulls, "--alignment", "stevenson-a"});
        EXPECT_EQ(custom.code, 0) << custom.err;
        EXPECT_EQ(custom.out, expected.out) << radii.key << ' ' << pivot << ' ' << a.key;
      }
    }
  }
}

TEST(CliAlignmentOptions, EffectiveLengthSetsThePivotDistance) {
  // The worked example of the help: IEC radii, Löfgren A, an arm of 239.3 mm.
  const CliRun example = run({"summary", "--radii", "iec", "--effective-length", "239.3"});
  EXPECT_EQ(lines_of(example.out).at(3), "Pivot to spindle distance = 222.004");
  EXPECT_EQ(lines_of(example.out).at(6), "Effective length = 239.300");
  for (const GroovePreset& radii : groove_presets) {
    for (const auto& a : alignments) {
      for (double length : {150.0, 211.75, 239.3, 265.0}) {
        const ParameterSet set = computed_for(0, radii, a.code);
        const double d = pivot_for_effective_length(length, null_radii_product(set));
        const std::string l = shortest_number(length);
        const CliRun by_length =
            run({"summary", "--radii", radii.key, "--alignment", a.key, "--effective-length", l});
        const CliRun by_pivot = run(
            {"summary", "--radii", radii.key, "--alignment", a.key, "--pivot", shortest_number(d)});
        EXPECT_EQ(by_length.out, by_pivot.out) << radii.key << ' ' << a.key << ' ' << l;
        EXPECT_EQ(lines_of(by_length.out).at(6),
                  "Effective length = " + format_three_decimals(length));
      }
    }
  }
  // With custom null radii their product sets the distance: sqrt(250^2 - 66 x 121).
  const CliRun custom = run({"summary", "--nulls", "121,66", "--effective-length", "250"});
  EXPECT_EQ(lines_of(custom.out).at(3), "Pivot to spindle distance = 233.482");
}

TEST(CliAlignmentOptions, RadiiPresets) {
  // clang-format off
  const struct { const char* key; const char* inner; const char* outer; } cases[] = {
      {"din", "57.500", "146.050"}, {"iec", "60.325", "146.050"}, {"jis", "57.600", "146.500"},
      {"typical", "63.000", "145.000"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::vector<std::string> lines = lines_of(run({"summary", "--radii", c.key}).out);
    EXPECT_EQ(lines.at(1), std::string("Inner groove radius = ") + c.inner);
    EXPECT_EQ(lines.at(2), std::string("Outer groove radius = ") + c.outer);
  }
}

TEST(CliAlignmentOptions, ArgumentMistakes) {
  // clang-format off
  const struct { std::vector<std::string_view> args; std::string_view message; } cases[] = {
      {{"--nulls", "66"}, "--nulls must be"}, {{"--nulls", "66,66"}, "the two null radii must differ"},
      {{"--nulls", "0,66"}, "null radius must be more than 0 mm, not 0 mm"},
      {{"--nulls", "-66,121"}, "null radius must be more than 0 mm, not -66 mm"},
      {{"--nulls", "66,inf"}, "null radius must be a number of mm, such as 121, not 'inf'"},
      {{"--nulls", "66,121,130"}, "not '121,130'"}, {{"--nulls", "66;121"}, "--nulls must be"},
      {{"--nulls", "66, 121"}, "not ' 121'"}, {{"--nulls", "+-66,121"}, "not '+-66'"},
      {{"--nulls", "0x42,121"}, "not '0x42'"},
      {{"--effective-length", "0"}, "effective length must be more than 0 mm"},
      {{"--effective-length", "abc"}, "effective length must be a number of mm"},
      {{"--effective-length", "1e999"}, "effective length must be a number of mm"},
      {{"--effective-length", "80"},
       "effective length 80 mm cannot reach null radii 63.103 and 119.173 mm: it must be at "
       "least 91.139 mm"},
      {{"--nulls", "66,121", "--effective-length", "89.3"}, "it must be at least 93.5 mm"},
      {{"--effective-length", "1e200"}, "effective length 1e+200 mm is too large"},
      {{"--inner", "0", "--outer", "0", "--effective-length", "200"},
       "inner groove radius must be more than 0 mm, not 0 mm"},
      {{"--pivot", "200", "--effective-length", "220"},
       "--effective-length and --pivot cannot go together"},
      {{"--radii", "ansi"}, "--radii must be din, iec, jis or typical, not 'ansi'"},
      {{"--radii", "jis", "--inner", "60"}, "--radii and --inner cannot go together"},
      {{"--outer", "146", "--radii", "jis"}, "--radii and --outer cannot go together"},
  };
  // clang-format on
  for (const std::string_view command : {"summary", "template", "analyze"}) {
    for (const auto& c : cases) {
      std::vector<std::string_view> args{command};
      args.insert(args.end(), c.args.begin(), c.args.end());
      if (command == "template") args.insert(args.end(), {"--format", "trace", "-o", "-"});
      expect_usage_error(args);
      EXPECT_NE(run(args).err.find(c.message), std::string::npos) << run(args).err;
    }
  }
  for (std::string_view text : {"1", "a,b", "1,nan", "1,,2", ""}) {
    const CliRun r = run({"analyze", "--mounting-error", text});
    EXPECT_EQ(r.code, 2) << text;
    EXPECT_NE(r.err.find("mounting error must be two numbers"), std::string::npos) << r.err;
  }
  EXPECT_EQ(run({"summary", "--mounting-error", "1,1"}).code, 2);
}

TEST(CliAlignmentOptions, GoldenPages) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* golden; } cases[] = {
      {{"template", "--nulls", "66,121", "--pivot", "222", "--id", "Custom arm"},
       "template_custom_nulls.trace"},
      {{"analyze", "--nulls", "66,121", "--pivot", "222", "--mounting-error", "0.5,0.5"},
       "chart_mounted.trace"},
  };
  // clang-format on
  for (const auto& c : cases) {
#ifdef _WIN32
    // The chart's curves come from the C library's asin and tan, whose last bits differ
    // between libraries.
    if (c.args.front() == "analyze") continue;
#endif
    std::vector<std::string_view> args = c.args;
    args.insert(args.end(), {"--format", "trace", "-o", "-"});
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, read_golden(c.golden)) << c.golden;
  }
}

TEST(CliAlignmentOptions, AnalyzeNamesCustomAndMounted) {
  const std::vector<std::string_view> args{"analyze", "--nulls", "66,121", "--mounting-error",
                                           "-0.5,1",  "--step",  "20"};
  auto with = [&args](std::vector<std::string_view> more) {
    std::vector<std::string_view> all = args;
    all.insert(all.end(), more.begin(), more.end());
    return run(all);
  };
  const std::string text = with({}).out;
  for (const char* expected : {"Custom", "As mounted", "(chosen)", "Peak |distortion| growth",
                               "\nL\u00F6fgren A     ", "\nCustom     "})
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  const std::string json = with({"--format", "json"}).out;
  for (const char* expected :
       {R"("chosen_alignment": "custom")", R"("custom_nulls_mm": [66, 121])",
        R"("mounting_error": {"overhang_mm": -0.5, "offset_deg": 1})", R"("alignment": "mounted")",
        R"("name": "As mounted")", R"("peak_distortion_growth_percent": {"overhang_longer": )"})
    EXPECT_NE(json.find(expected), std::string::npos) << expected;
  const std::string csv = with({"--format", "csv"}).out;
  for (const char* expected : {"\ncustom,57.5,", "\nmounted,146.05,"})
    EXPECT_NE(csv.find(expected), std::string::npos) << expected;
  // Without the new options nothing new is written.
  const std::string plain = run({"analyze", "--format", "json"}).out;
  for (const char* absent : {"custom", "mounted", "growth"})
    EXPECT_EQ(plain.find(absent), std::string::npos) << absent;
}

}  // namespace
}  // namespace veltrane
