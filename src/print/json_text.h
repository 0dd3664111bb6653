#pragma once

#include <string>
#include <string_view>

namespace veltrane {

/// A JSON string literal of UTF-8 text: quotes, backslashes and control characters escaped.
std::string json_string(std::string_view utf8);

}  // namespace veltrane
