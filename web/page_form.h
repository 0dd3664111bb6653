#pragma once

#include <string>
#include <string_view>

#include "app/page_kinds.h"
#include "app/problems.h"

namespace veltrane {

// The page's form as both binding files share it: its texts by element id, read as the
// application layer's requests.

/// The page reads every number strictly, a single decimal comma taken for the point.
inline constexpr Reading page_reading = Reading::decimal_comma;

/// The text of the field with that element id ("alignment" and "arm-by": the checked
/// option's value); "" for a name the form does not have.
const std::string& text_of(std::string_view name);

/// Puts `text` into the field with that element id, as if typed.
void set_text_of(std::string_view name, std::string text);

/// The form as the application's requests.
PageRequest page_request();

/// Keeps `text` as the one answer the page reads after a call, valid until the next call.
const char* give(std::string text);

}  // namespace veltrane
