#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

/// The same PDF with `/ViewerPreferences << /PrintScaling /None >>` in its document
/// catalogue, so that a viewer's print dialog starts at actual size instead of fitting the
/// page to the paper; nullopt when `pdf` is not a PDF that can be read.
std::optional<std::string> with_print_scaling_none(std::string_view pdf);

}  // namespace veltrane
