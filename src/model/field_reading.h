#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veltrane {

/// The leading number of a field's text, or 0; never fails. Accepts "&H", "&B", "&O" radix forms.
double read_number(std::string_view text);

/// A bar count: read_number, rounded half to even, clamped to the 32-bit range.
std::int32_t read_bar_count(std::string_view text);

/// UTF-8 to one Windows-1252 byte per character; characters outside the set become '?'.
std::string utf8_to_cp1252(std::string_view utf8);

/// Windows-1252 bytes back to UTF-8.
std::string cp1252_to_utf8(std::string_view cp1252);

/// The ID rule: the first `length` characters, padded with spaces to exactly `length`.
std::string left_aligned_text(std::string_view cp1252, std::size_t length);

/// The caption rule: centred in exactly `length` characters, longer texts cut.
std::string centred_text(std::string_view cp1252, std::size_t length);

}  // namespace veltrane
