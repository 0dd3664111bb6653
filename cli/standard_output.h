#pragma once

#include <ostream>
#include <string_view>

namespace veltrane {

/// Writes a page to standard output, `out`. Returns 0, or 2 after one line on `err` naming
/// the reason when the write fails.
int write_standard_output(std::ostream& out, std::string_view bytes, std::ostream& err);

/// Flushes and closes the process's standard output before it exits, returning `code`, or 2
/// after one line on `err` when a write or the closing failed and that was not yet reported.
/// A full disk often shows only here: short texts wait in the buffer until the end.
int close_standard_output(int code, std::ostream& err);

}  // namespace veltrane
