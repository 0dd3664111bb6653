#pragma once

#include <span>
#include <string_view>

namespace veltrane {

/// Refuses options given together that say the same twice: --effective-length with --pivot,
/// --radii with --inner or --outer. `given` lists the options as given. Throws UsageError.
void check_exclusive_options(std::span<const std::string_view> given);

}  // namespace veltrane
