#include "cli/speed_command.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <vector>

#include "app/page_kinds.h"
#include "app/render.h"
#include "app/speed.h"
#include "cli/arguments.h"
#include "cli/options.h"
#include "cli/output.h"
#include "model/speed_report.h"

namespace veltrane {
namespace {

constexpr std::size_t read_bytes = 1 << 20;

#ifdef _WIN32
// The command line's names are UTF-8; a path made from them reaches the wide file calls.
constexpr const char* separators = "/\\";
std::ifstream open_recording(const std::string& path) {
  try {
    return std::ifstream(std::filesystem::path(std::u8string(path.begin(), path.end())),
                         std::ios::binary);
  } catch (const std::filesystem::filesystem_error&) {
    errno = EINVAL;
    return {};
  }
}
#else
constexpr const char* separators = "/";
std::ifstream open_recording(const std::string& path) {
  return std::ifstream(path, std::ios::binary);
}
#endif

std::string file_name(const std::string& path) {
  const auto slash = path.find_last_of(separators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void finish_speed_request(Request& request) {
  if (!request.recording)
    throw UsageError{"speed needs the recording: veltrane-cli speed FILE.wav"};
  if (!request.format) request.format = "text";
  if (!request.output) return;
  if (*request.output == "-")
    throw UsageError{"the report goes to standard output: give -o a file name for the page"};
  const auto dot = request.output->rfind('.');
  std::string extension = dot == std::string::npos ? "" : request.output->substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const std::optional<FileFormat> format = file_format_named(extension);
  if (!format) throw UsageError{"-o PAGE must end in .pdf, .svg, .png or .trace"};
  if (!file_format_available(*format))
    throw UsageError{"this build writes no " + extension + " files"};
  if (*format == FileFormat::png && request.page.print.dpi > 1200)
    throw UsageError{"--dpi for png must be from 1 to 1200"};
  request.page.print.format = *format;
}

int run_speed(const Request& request, std::ostream& out, std::ostream& err) {
  const Resolved<SpeedOptions> options = resolve_speed(request.speed, reading_of(request));
  if (!options.value) return report_problems(request, options.problems, err);
  // The page's paper and margin are checked before the recording is read.
  const PageKind& kind = page_kind("speed");
  std::optional<Resolved<ResolvedPage>> page;
  if (request.output) {
    page = resolve_page(kind, request.page, reading_of(request));
    if (!page->value) return report_problems(request, page->problems, err);
  }

  const std::string& path = *request.recording;
  std::ifstream file = open_recording(path);
  if (!file)
    return report_problems(request,
                           {{"speed-file", quoted_text(path) + ": " + std::strerror(errno)}}, err);
  SpeedRecording recording = begin_file_recording(*options.value);
  std::vector<unsigned char> bytes(read_bytes);
  while (file && !recording.reader.problem) {
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    add_recording_bytes(recording,
                        std::span(bytes.data(), static_cast<std::size_t>(file.gcount())));
  }
  if (file.bad())
    return report_problems(request, {{"speed-file", quoted_text(path) + ": cannot be read"}}, err);
  const Resolved<SpeedResult> result = measure_file_recording(recording, path);
  if (!result.value) return report_problems(request, result.problems, err);
  report_warnings(result.warnings, err);
  // The page before the report, so that a page that cannot be written ends in its one
  // problem rather than after figures that look like success.
  if (page) {
    report_warnings(page->warnings, err);
    PageInputs inputs = page->value->inputs;
    inputs.speed = *result.value;
    inputs.recording = file_name(path);
    const int code =
        write_output(*request.output, render_page(kind, inputs, page->value->target), out, err);
    if (code != 0) return code;
  }
  out << (*request.format == "json" ? speed_report_json(*result.value)
                                    : speed_report_text(*result.value));
  return 0;
}

}  // namespace veltrane
