#pragma once

#include <string>
#include <string_view>

namespace veltrane {

/// Writes the whole of `bytes` to the file at `path`, whole or not at all, and returns ""
/// on success or one line naming the path and the reason it could not be written.
///
/// A symlink is followed to the file it names (which need not exist yet). A regular file is
/// replaced atomically through a temporary file in its own folder; the replacement keeps
/// the old file's permission bits and, where the process may set it, its owner. A regular
/// file the user may not write is refused rather than replaced. Anything else that exists
/// (a FIFO, a device, /dev/stdout) is written straight through. While the temporary file
/// exists, SIGINT, SIGTERM and SIGHUP remove it before the process ends as the signal asks.
std::string write_output_file(const std::string& path, std::string_view bytes);

/// For tests: called with the temporary file's path once it holds part of the bytes.
/// nullptr (the default) calls nothing.
using OutputFileProbe = void (*)(const char* temporary_path);
void set_output_file_probe(OutputFileProbe probe);

}  // namespace veltrane
