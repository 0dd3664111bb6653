#include "model/field_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace veltrane {
namespace {

struct NumberCase {
  const char* text;
  double value;
};

TEST(ReadNumber, ReadsTheLeadingNumber) {
  // clang-format off
  const NumberCase cases[] = {
      {"  209mm", 209},    {"1,5", 1},          {"abc", 0},        {"", 0},
      {"2.5e1", 25},       {"-3", -3},          {"&H10", 16},      {"1.2.3", 1.2},
      {".5", 0.5},         {"2 09", 2},         {"\t\r\n 7", 7},   {"+4", 4},
      {"--3", 0},          {"+-3", 0},          {"1e", 1},         {"1e+", 1},
      {"1E2", 100},        {"1d2", 100},        {"1D-2", 0.01},    {"2.5e1x", 25},
      {"&HFFFF", -1},      {"&H8000", -32768},  {"&H7FFF", 32767}, {"&H10000", 65536},
      {"&HFFFFFFFF", -1},  {"&H80000000", -2147483648.0},          {"&H100000000", 4294967296.0},
      {"&hff", 255},      {"&B101", 5},
      {"&b12", 1},         {"&O17", 15},        {"&Q17", 15},      {"&17", 15},
      {"&18", 1},          {"&Z7", 0},          {"&", 0},          {"&H", 0},
      {"&HFF&", 255},      {"0x10", 0},         {"nan", 0},        {"inf", 0},
      {"1e-400", 0},       {"   ", 0},          {"0.0875", 0.0875}, {"60.325", 60.325},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(read_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(ReadNumber, ExponentsBeyondTheRangeSaturate) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(read_number("1e9999"), inf);
  EXPECT_EQ(read_number("-1e9999"), -inf);
  EXPECT_EQ(read_number("1e99999999999999999999"), inf);  // magnitude capped, no overflow
  EXPECT_EQ(read_number("0.0000001e-9999"), 0);
  EXPECT_EQ(read_number("0e9999"), 0);
  EXPECT_EQ(read_number("1e308"), 1e308);
  EXPECT_EQ(read_number(std::string(400, '9')), inf);
  EXPECT_EQ(read_number("0." + std::string(400, '0') + "1e401"), 1);
  EXPECT_EQ(read_number(std::string(400, '9') + "e-400"), 1);
  EXPECT_EQ(read_number(std::string(1 << 20, '9')), inf);
}

TEST(ReadNumber, NegativeZeroKeepsItsSign) {
  EXPECT_TRUE(std::signbit(read_number("-0")));
  EXPECT_FALSE(std::signbit(read_number("0")));
  EXPECT_FALSE(std::signbit(read_number("-")));
  EXPECT_FALSE(std::signbit(read_number("-abc")));
}

TEST(ReadBarCount, RoundsHalfToEvenAndClamps) {
  // clang-format off
  const struct { const char* text; std::int32_t bars; } cases[] = {
      {"216.5", 216}, {"217.5", 218}, {"160.4", 160}, {"72.5", 72}, {"73.5", 74},
      {"-0.5", 0},    {"-1.5", -2},   {"abc", 0},     {"1e9999", 2147483647},
      {"-1e9999", -2147483647 - 1}, {"2147483647.4", 2147483647}, {"3e9", 2147483647},
      {"&HFFFFFFFF", -1},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(read_bar_count(c.text), c.bars) << c.text;
}

TEST(FixedText, IdIsLeftAlignedInForty) {
  EXPECT_EQ(left_aligned_text("", 40), std::string(40, ' '));
  EXPECT_EQ(left_aligned_text(std::string(45, 'x'), 40), std::string(40, 'x'));
  EXPECT_EQ(left_aligned_text("Test arm", 40), "Test arm" + std::string(32, ' '));
}

TEST(FixedText, CaptionsAreCentredInThirtySix) {
  EXPECT_EQ(centred_text("ABC", 36), std::string(16, ' ') + "ABC" + std::string(17, ' '));
  EXPECT_EQ(centred_text(std::string(35, 'c'), 36), std::string(35, 'c') + " ");
  EXPECT_EQ(centred_text(std::string(40, 'c'), 36), std::string(36, 'c'));
  EXPECT_EQ(centred_text("A", 36), std::string(17, ' ') + "A" + std::string(18, ' '));
  EXPECT_EQ(centred_text("", 36), std::string(36, ' '));
}

TEST(Cp1252, OneBytePerCharacter) {
  // clang-format off
  const struct { std::string utf8; std::string cp1252; } cases[] = {
      {"L\u00F6fgren", "L\xF6" "fgren"},
      {"\u20AC\u2122\u0178", "\x80\x99\x9F"},
      {"\u4E2D\U0001F600", "??"},           // outside the set: one '?' per character
      {"\xFF" "a", "?a"},                   // a stray byte
      {"\xE2\x82", "?" "?"},                // a cut-off sequence
      {"\xC0\xAF", "??"},                   // overlong
      {"\xED\xA0\x80", "?"},                // a lone surrogate
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252) << c.utf8;
  EXPECT_EQ(cp1252_to_utf8("L\xF6"
                           "fgren \x80\xB0"),
            "L\u00F6fgren \u20AC\u00B0");
}

TEST(Cp1252, ForeignCharactersCountAsOneCharacterEach) {
  const std::string id = "\u00F6" + std::string(39, 'a');
  EXPECT_EQ(left_aligned_text(utf8_to_cp1252(id), 40).size(), 40u);
  EXPECT_EQ(cp1252_to_utf8(left_aligned_text(utf8_to_cp1252(id), 40)), id);
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(utf8_to_cp1252(cp1252_to_utf8(one)), one) << byte;
  }
}

}  // namespace
}  // namespace veltrane
