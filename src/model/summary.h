#pragma once

#include <string>

#include "model/parameter_set.h"

namespace veltrane {

/// The nine-line confirmation text, lines joined by '\n', no trailing newline.
/// UTF-8 (the ID is converted from its Windows-1252 bytes).
std::string build_parameter_summary(const ParameterSet& set);

}  // namespace veltrane
