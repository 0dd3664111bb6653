#pragma once

#include <ostream>

namespace veltrane {

struct Request;

/// veltrane-cli calibrate: the new factors for the measured lengths and the factors the
/// template was printed with, and how to use them, to `out`; a warning line to `err` for
/// each doubtful measurement or mirrored factor. Returns the exit code. A failed write to
/// `out` is left to whoever closes it, as for the summary.
int run_calibrate(const Request& request, std::ostream& out, std::ostream& err);

}  // namespace veltrane
