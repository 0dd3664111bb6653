#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace veltrane {

/// Where output goes piece by piece, and what hands the pieces to it.
using PieceSink = std::function<void(std::string_view)>;
using OutputPieces = std::function<void(const PieceSink&)>;

/// Writes the pieces `produce` hands its sink to the file at `path`, each as it comes (the
/// output need never be whole in memory), and the file still whole or not at all; returns
/// "" on success or one line naming the path and the reason it could not be written.
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
/// What tests change in how a file is written: `probe` is called with the temporary file's
/// path ("" while it has none) once it holds part of the bytes; `files_without_names` false
/// gives every temporary file a name from the start, as on a file system that cannot make
/// one without.
using OutputFileProbe = void (*)(const char* temporary_path);
struct OutputFileHooks {
  OutputFileProbe probe = nullptr;
  bool files_without_names = true;
};

std::string write_output_file(const std::string& path, const OutputPieces& produce,
                              const OutputFileHooks& hooks = {});

/// The same for output already whole.
inline std::string write_output_file(const std::string& path, std::string_view bytes,
                                     const OutputFileHooks& hooks = {}) {
  return write_output_file(
      path, [bytes](const PieceSink& sink) { sink(bytes); }, hooks);
}

}  // namespace veltrane
