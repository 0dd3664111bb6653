#pragma once

#include <string>
#include <string_view>

namespace veltrane {

/// The texts of std::to_chars and the values of std::from_chars for doubles and floats, on
/// every standard library. Where the library has no floating-point to_chars/from_chars (the
/// WebAssembly build's libc++), the same digits come from the C library, whose locale there
/// is always "C"; `decimal_chars_fallback` is that road, compiled everywhere so that tests
/// hold the two to the same digits.

/// to_chars(value, scientific, precision): "2.09000000000000000e+02".
std::string scientific_chars(double value, int precision);
/// to_chars(value, fixed, precision): "209.000".
std::string fixed_chars(double value, int precision);
/// to_chars(value): the shortest text that reads back as the same value, fixed or
/// scientific, whichever is shorter (fixed on a tie).
std::string shortest_chars(double value);
std::string shortest_chars(float value);
/// from_chars(text, general) on a text that is entirely a decimal number ("12.5e-3"):
/// its correctly rounded value, infinity or zero where it is out of range.
double parse_decimal(std::string_view text);

namespace decimal_chars_fallback {
std::string scientific_chars(double value, int precision);
std::string fixed_chars(double value, int precision);
std::string shortest_chars(double value);
std::string shortest_chars(float value);
double parse_decimal(std::string_view text);
}  // namespace decimal_chars_fallback

}  // namespace veltrane
