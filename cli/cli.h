#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace veltrane {

/// Runs veltrane-cli on its arguments (without the program name). Returns the exit code:
/// 0 on success, 2 for a mistake in the arguments or an output that cannot be written.
int run_cli(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace veltrane
