#pragma once

#include <ostream>
#include <string_view>

namespace veltrane {

/// Where the process was started with standard input, output or error closed, holds their
/// descriptors with the null device, so that no file the process opens later takes one of
/// them and gets what is meant for the stream. Writes to an output closed so still fail as
/// on a closed descriptor. On Windows, sets standard output and error to binary mode, so
/// they get the same bytes as elsewhere. Call first thing in main.
void hold_closed_standard_descriptors();

/// Whether standard descriptor `fd` (0, 1 or 2) was closed when the process started and is
/// held by the null device.
bool standard_descriptor_was_closed(int fd);

/// Writes a page to standard output, `out`. Returns 0, or 2 after one line on `err` naming
/// the reason when the write fails.
int write_standard_output(std::ostream& out, std::string_view bytes, std::ostream& err);

/// The process's standard output, written straight to its descriptor with a buffer of its
/// own, so that a failed write keeps its reason for close_standard_output.
std::ostream& standard_output();

/// Flushes and closes standard_output() before the process exits, returning `code`, or 2
/// after one line on `err` when a write or the closing failed and that was not yet
/// reported. A full disk often shows only here: short texts wait in the buffer until the end.
int close_standard_output(int code, std::ostream& err);

}  // namespace veltrane
