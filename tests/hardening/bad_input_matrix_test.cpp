// Whatever a user types into the windows is read, computed, summarised and printed without
// a crash, a hang, a coordinate the printer cannot take, or unbounded output. Each field is
// fed every bad text in turn with the others left as the windows open, then a few
// combinations make every field bad at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/alignments.h"
#include "support/page_checks.h"

namespace veltrane {
namespace {

struct Sample {
  const char* name;
  std::string text;
};

const std::vector<Sample>& bad_numbers() {
  // clang-format off
  static const std::vector<Sample> samples = {
      {"empty", ""},                  {"blanks", "   "},
      {"letters", "abc"},             {"overflow", "1e9999"},
      {"negative overflow", "-1e9999"}, {"underflow", "1e-400"},
      {"hex all ones", "&HFFFFFFFF"}, {"hex without digits", "&H"},
      {"lone ampersand", "&"},        {"octal by default", "&Z7"},
      {"decimal comma", "1,5"},       {"double minus", "--3"},
      {"nan", "nan"},                 {"inf", "inf"},
      {"C hex", "0x10"},              {"400 nines", std::string(400, '9')},
      {"a megabyte of nines", std::string(1 << 20, '9')},
      {"tab and line feed first", "\t\n209"},
      {"non-Latin", "\u4E8C\u767E\u4E5D"}, {"emoji", "\U0001F3B5 42"},
      {"invalid UTF-8", "\xFF\xFE" "12"},  {"zero", "0"},
      {"negative", "-209"},           {"largest double", "1.7976931348623157e308"},
      {"smallest subnormal", "4.9e-324"}, {"huge exponent of zero", "0e9999"},
      {"wide hex", "&HFFFFFFFFFFFFFFFFFFFFFFFF"}, {"hex digits forever", "&H" + std::string(1000, 'F')},
      {"beyond the 32-bit range", "2147483648"}, {"below the 32-bit range", "-2147483649"},
      {"millions", "2e6"},            {"far beyond the page", "1e15"},
      {"exactly 2^30", "1073741824"}, {"tiny", "1e-300"},
  };
  // clang-format on
  return samples;
}

const std::vector<Sample>& bad_texts() {
  // clang-format off
  static const std::vector<Sample> samples = {
      {"empty", ""},
      {"41 characters", std::string(41, 'W')},
      {"a megabyte", std::string(1 << 20, 'M')},
      {"outside Windows-1252", "\u65E5\u672C\u8A9E \U0001F3B5 \u0416"},
      {"Windows-1252 specials", "\u20AC\u0160\u017D\u00F6\u00B0"},
      {"invalid UTF-8", "\xC3\x28\xFF\xE2\x82"},
      {"control characters", std::string("\x01\t\n\r\"\\", 6) + std::string(1, '\0')},
      {"41 two-byte characters", [] {
         std::string s;
         for (int i = 0; i < 41; ++i) s += "\u00E9";
         return s;
       }()},
  };
  // clang-format on
  return samples;
}

template <typename Fields>
struct NamedText {
  const char* name;
  std::string Fields::*text;
};

constexpr NamedText<MainWindowFields> main_window_numbers[] = {
    {"pivot", &MainWindowFields::pivot},
    {"inner radius", &MainWindowFields::inner_radius},
    {"outer radius", &MainWindowFields::outer_radius},
    {"correction x", &MainWindowFields::correction_x},
    {"correction y", &MainWindowFields::correction_y},
};
constexpr NamedText<CustomStrobeFields> custom_strobe_numbers[] = {
    {"outer bars", &CustomStrobeFields::outer_bars},
    {"inner bars", &CustomStrobeFields::inner_bars},
};

std::string joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += "\n  " + problem;
  return text;
}

void expect_sound(const PipelineInput& input, const std::string& what) {
  const std::vector<std::string> problems = pipeline_problems(input, page_time_limit);
  EXPECT_TRUE(problems.empty()) << what << joined(problems);
}

PipelineInput with_alignment(std::int16_t alignment) {
  PipelineInput input;
  input.main_window.alignment = alignment;
  return input;
}

TEST(BadInputMatrix, EachMainWindowNumberUnderEveryAlignment) {
  for (const Alignment& alignment : alignments) {
    for (const auto& field : main_window_numbers) {
      for (const Sample& sample : bad_numbers()) {
        PipelineInput input = with_alignment(alignment.code);
        input.main_window.*field.text = sample.text;
        expect_sound(input, std::string(field.name) + " = " + sample.name + ", " +
                                std::string(alignment.key));
      }
    }
  }
}

TEST(BadInputMatrix, EachBarCount) {
  for (const auto& field : custom_strobe_numbers) {
    for (const Sample& sample : bad_numbers()) {
      PipelineInput input;
      input.custom_strobe.*field.text = sample.text;
      expect_sound(input, std::string(field.name) + " = " + sample.name);
    }
  }
}

TEST(BadInputMatrix, IdAndCaptions) {
  for (const Sample& sample : bad_texts()) {
    PipelineInput input;
    input.main_window.id_text = sample.text;
    input.custom_strobe.caption_1 = sample.text;
    input.custom_strobe.caption_2 = sample.text;
    // Captions print only for counts that are not a standard pair.
    input.custom_strobe.outer_bars = "215";
    expect_sound(input, std::string("texts = ") + sample.name);
  }
}

TEST(BadInputMatrix, EveryFieldBadAtOnce) {
  const std::vector<Sample>& numbers = bad_numbers();
  const std::vector<Sample>& texts = bad_texts();
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    // Each field gets a different bad number, so that the combinations vary.
    PipelineInput input;
    std::size_t k = i;
    for (const auto& field : main_window_numbers)
      input.main_window.*field.text = numbers[k++ % numbers.size()].text;
    for (const auto& field : custom_strobe_numbers)
      input.custom_strobe.*field.text = numbers[k++ % numbers.size()].text;
    input.main_window.id_text = texts[i % texts.size()].text;
    input.custom_strobe.caption_1 = texts[(i + 1) % texts.size()].text;
    input.main_window.alignment = 0;  // no option checked: the alignment stays unset
    if (i % 2 == 1) input.main_window.alignment = alignment_lofgren_b;
    expect_sound(input, std::string("all bad, starting at ") + numbers[i].name);
  }
}

TEST(BadInputMatrix, ExtremeScalesAndCountsAtEveryResolution) {
  // clang-format off
  const struct { const char* correction; const char* bars; } cases[] = {
      {"200000", "2000000000"}, {"200000", "65537"}, {"-200000", "2147483647"},
      {"1e-9", "1"}, {"1e9999", "216"}, {"0", "2000000000"}, {"5e6", "100000"},
      {"1.0", "65536"},  // the most wedges a ring draws, at 9600 dpi
  };
  // clang-format on
  for (int dpi : {1, 72, 600, 9600}) {
    for (const auto& c : cases) {
      PipelineInput input;
      input.dpi = dpi;
      input.main_window.correction_x = c.correction;
      input.main_window.correction_y = c.correction;
      input.custom_strobe.outer_bars = c.bars;
      input.custom_strobe.inner_bars = c.bars;
      expect_sound(input, std::string("correction ") + c.correction + ", bars " + c.bars + " at " +
                              std::to_string(dpi) + " dpi");
    }
  }
}

}  // namespace
}  // namespace veltrane
