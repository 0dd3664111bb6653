#pragma once

#include <string>
#include <string_view>

namespace veltrane {

/// from_chars(text, general) on a text that is entirely a decimal number ("12.5e-3"): its
/// correctly rounded value, infinity or zero where it is out of range.
double parse_decimal(std::string_view text);

/// The texts of std::to_chars and the values of std::from_chars for standard libraries that
/// have no floating-point to_chars and from_chars (the WebAssembly build's libc++), from the
/// C library, whose locale there is always "C". Compiled everywhere, so that tests hold them
/// to the same digits as the standard library's.
namespace decimal_chars_fallback {
/// to_chars(value, scientific, precision): "2.09000000000000000e+02".
std::string scientific_chars(double value, int precision);
/// to_chars(value, fixed, precision): "209.000".
std::string fixed_chars(double value, int precision);
/// to_chars(value, general, precision): printf's "%.*g".
std::string general_chars(double value, int precision);
/// to_chars(value): the shortest text that reads back as the same value, fixed or
/// scientific, whichever is shorter (fixed on a tie).
std::string shortest_chars(double value);
std::string shortest_chars(float value);
double parse_decimal(std::string_view text);
}  // namespace decimal_chars_fallback

}  // namespace veltrane
