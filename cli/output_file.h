#pragma once

#include <functional>
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
/// (a FIFO, a device) is written straight through; a path naming the process's standard
/// output or error (/dev/stdout, /dev/fd/2) is written to that descriptor, and fails as
/// closed when the process was started without it. The temporary file has no name until it
/// is complete where the file system allows (so not even SIGKILL leaves it behind); while it
/// has one, every signal that ends the process removes it first. Its name is the target's
/// with ".tmp" and six characters, or a short one where that would be too long.
std::string write_output_file(const std::string& path, std::string_view bytes);

/// Where output goes piece by piece, and what hands the pieces to it.
using PieceSink = std::function<void(std::string_view)>;
using OutputPieces = std::function<void(const PieceSink&)>;

/// The same for output made piece by piece, which need never be whole in memory: every
/// piece `produce` hands its sink is written as it comes, and the file still appears whole
/// or not at all.
std::string write_output_file(const std::string& path, const OutputPieces& produce);

/// For tests: called with the temporary file's path ("" while it has none) once it holds
/// part of the bytes. nullptr (the default) calls nothing.
using OutputFileProbe = void (*)(const char* temporary_path);
void set_output_file_probe(OutputFileProbe probe);

/// For tests: false makes every temporary file with a name from the start, as on a file
/// system that cannot make one without.
void use_files_without_names(bool use);

}  // namespace veltrane
