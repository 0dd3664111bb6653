#include "cli/output.h"

#include "cli/arguments.h"
#include "cli/output_file.h"
#include "cli/standard_output.h"

namespace veltrane {

int write_output(const std::string& output, const std::string& bytes, std::ostream& out,
                 std::ostream& err) {
  // Finished output is never empty; empty means the graphics back end could not paint it.
  if (bytes.empty()) {
    err << "veltrane-cli: cannot render the page for " << quoted_text(output)
        << ": the graphics back end could not paint it with the memory and threads the "
           "system allows\n";
    return 2;
  }
  return write_output(
      output, [&bytes](const PieceSink& sink) { sink(bytes); }, out, err);
}

int write_output(const std::string& output, const OutputPieces& produce, std::ostream& out,
                 std::ostream& err) {
  if (output == "-") {
    produce([&out](std::string_view piece) {
      if (out) out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    });
    return write_standard_output(out, {}, err);
  }
  const std::string error = write_output_file(output, produce);
  if (!error.empty()) {
    err << "veltrane-cli: " << error << '\n';
    return 2;
  }
  return 0;
}

}  // namespace veltrane
