#pragma once

#include <string>
#include <string_view>

namespace veltrane {

/// UTF-8 to the UTF-16 of the Windows API; malformed bytes become U+FFFD.
std::wstring to_wide(std::string_view utf8);

/// UTF-16 from the Windows API to UTF-8; unpaired surrogates become U+FFFD.
std::string to_utf8(std::wstring_view wide);

}  // namespace veltrane
