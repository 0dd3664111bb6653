#include "cli/speed_command.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>
#include <vector>

#include "chart/speed_page.h"
#include "cli/arguments.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/render.h"
#include "model/number_format.h"
#include "model/speed_report.h"
#include "model/wav_reading.h"

namespace veltrane {
namespace {

constexpr std::size_t read_bytes = 1 << 20;

int refuse(std::ostream& err, const std::string& file, const std::string& problem) {
  err << "veltrane-cli: " << quoted_text(file) << ": " << problem << '\n';
  return 2;
}

std::string file_name(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void finish_speed_request(Request& request) {
  if (!request.speed_measurement.file)
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
  request.speed_measurement.page_format = extension;
}

int run_speed(const Request& request, std::ostream& out, std::ostream& err) {
  const std::string& path = *request.speed_measurement.file;
  std::ifstream file(path, std::ios::binary);
  if (!file) return refuse(err, path, std::strerror(errno));
  const SpeedOptions options{request.speed_measurement.tone_hz, request.speed_measurement.rpm};
  WavReader reader;
  std::optional<SpeedMeter> meter;
  std::vector<unsigned char> bytes(read_bytes);
  std::vector<double> samples;
  while (file && !reader.problem) {
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    samples.clear();
    read_wav_bytes(reader, std::span(bytes.data(), static_cast<std::size_t>(file.gcount())),
                   samples);
    if (reader.format && !meter) meter = make_speed_meter(reader.format->sample_rate_hz, options);
    if (meter) add_speed_samples(*meter, samples);
  }
  if (file.bad()) return refuse(err, path, "cannot be read");
  finish_wav(reader);
  if (reader.problem) return refuse(err, path, *reader.problem);
  meter->clipped_samples = reader.clipped;
  const SpeedResult result = measure_speed(*meter);
  if (result.problem) {
    std::string problem = speed_problem_text(result);
    if (result.found_tone_hz)
      problem += ": if that is the record's test tone, give --tone " +
                 format_up_to_three_decimals(std::round(*result.found_tone_hz));
    return refuse(err, path, problem);
  }
  for (const std::string& warning : result.warnings)
    err << "veltrane-cli: warning: " << warning << '\n';
  out << (*request.format == "json" ? speed_report_json(result) : speed_report_text(result));
  if (!request.output) return 0;
  const std::string& output = *request.output;
  const FileFormat format = *file_format_named(request.speed_measurement.page_format);
  const std::string page = render_page(
      {format, 0, Paper::a4, default_margin_mm}, "Speed, wow and flutter",
      [&](const PrintOpener& opener) { print_speed_page(result, file_name(path), opener); });
  return write_output(output, page, out, err);
}

}  // namespace veltrane
