#pragma once

#include <cstddef>
#include <ostream>

namespace veltrane {

struct Request;

/// Runs `veltrane-cli analyze` as `request` asks, with at most `most_radii` radii. Returns
/// the exit code: 0 done, 2 for a request that cannot be answered or an output that cannot
/// be written.
int run_analyze(const Request& request, std::size_t most_radii, std::ostream& out,
                std::ostream& err);

}  // namespace veltrane
