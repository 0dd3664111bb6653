// Output files where there are no POSIX calls: a temporary file beside the target, then a
// rename over it.
#include <filesystem>
#include <fstream>
#include <random>

#include "cli/arguments.h"
#include "cli/output_file.h"

namespace veltrane {

std::string write_output_file(const std::string& path, const OutputPieces& produce,
                              const OutputFileHooks& /*hooks*/) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code failure;
  if (fs::is_directory(target, failure))
    return "cannot write " + quoted_text(path) + ": it is a folder";
  std::random_device random;
  const fs::path temporary =
      target.parent_path() / (target.filename().string() + ".tmp" + std::to_string(random()));
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return "cannot write " + quoted_text(path) + ": cannot create a file in its folder";
    produce([&file](std::string_view piece) {
      if (file) file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    });
    file.close();
    if (!file) {
      fs::remove(temporary, failure);
      return "cannot write " + quoted_text(path) + ": writing failed";
    }
  }
  fs::rename(temporary, target, failure);
  if (failure) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return "cannot write " + quoted_text(path) + ": " + failure.message();
  }
  return {};
}

}  // namespace veltrane
