// The speed measurement's road into the application layer: a recording's bytes or the
// microphone's samples go in as they arrive, the figures come out as the text veltrane-cli
// prints, problems and warnings as the page shows them.
#include <emscripten/emscripten.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/speed.h"
#include "model/number_format.h"
#include "model/speed_report.h"

namespace veltrane {
namespace {

struct Measurement {
  std::optional<SpeedRecording> recording;
  std::string name;                  // the file's, for the problems' words
  std::vector<unsigned char> input;  // where the page puts the next bytes or samples
  std::string text;
};

Measurement& measurement() {
  static Measurement m;
  return m;
}

const char* shown(const Resolved<SpeedResult>& result) {
  Measurement& m = measurement();
  if (!result.value) {
    m.text = "Problem: " + result.problems.front().words + ".\n";
  } else {
    m.text = speed_report_text(*result.value);
    for (const std::string& warning : result.warnings) m.text += "Warning: " + warning + "\n";
  }
  return m.text.c_str();
}

}  // namespace

extern "C" {

// Begins a measurement with three lines in the input: the tone's and the speed's boxes and
// the file's name ("3150\n33 1/3\ntone.wav"); for listening, `sample_rate_hz` is the
// microphone's, for a file 0 (the file names its own). Returns "" or, for a box that
// reads as no number, why.
EMSCRIPTEN_KEEPALIVE const char* vt_speed_begin(double sample_rate_hz) {
  Measurement& m = measurement();
  const std::string texts(m.input.begin(), m.input.end());
  m = Measurement{};
  std::vector<std::string> lines;
  for (std::size_t at = 0;;) {
    const auto end = texts.find('\n', at);
    lines.push_back(texts.substr(at, end == std::string::npos ? end : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  lines.resize(3);
  const Resolved<SpeedOptions> options =
      resolve_speed({lines[0], lines[1]}, Reading::decimal_comma);
  if (!options.value) {
    m.text = "Problem: " + options.problems.front().words + ".";
    return m.text.c_str();
  }
  m.name = lines[2];
  m.recording = sample_rate_hz > 0 ? begin_live_recording(*options.value, sample_rate_hz)
                                   : begin_file_recording(*options.value);
  return "";
}

// Room for `bytes` bytes of input, filled by the page before vt_speed_bytes or
// vt_speed_samples.
EMSCRIPTEN_KEEPALIVE unsigned char* vt_speed_input(int bytes) {
  Measurement& m = measurement();
  m.input.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
  return m.input.data();
}

// The next `count` bytes of the file, in the input.
EMSCRIPTEN_KEEPALIVE void vt_speed_bytes(int count) {
  Measurement& m = measurement();
  if (m.recording)
    add_recording_bytes(*m.recording, std::span(m.input.data(), static_cast<std::size_t>(count)));
}

// The next `count` microphone samples, 32-bit floats in the input.
EMSCRIPTEN_KEEPALIVE void vt_speed_samples(int count) {
  Measurement& m = measurement();
  if (!m.recording) return;
  const auto* floats = reinterpret_cast<const float*>(m.input.data());
  add_recording_samples(*m.recording, std::span(floats, static_cast<std::size_t>(count)));
}

// The figures so far (listening), or of the whole file once its bytes are all given.
EMSCRIPTEN_KEEPALIVE const char* vt_speed_result(int file_complete) {
  Measurement& m = measurement();
  if (!m.recording) {
    m.text = "Problem: nothing is being measured.\n";
    return m.text.c_str();
  }
  if (file_complete) return shown(measure_file_recording(*m.recording, m.name));
  const double heard_s = recorded_seconds(*m.recording);
  if (heard_s < min_speed_recording_s) {
    m.text = "Listening: " + format_fixed(heard_s, 1) + " s; the figures follow after " +
             format_up_to_three_decimals(min_speed_recording_s) + " s of the tone.\n";
    return m.text.c_str();
  }
  return shown(measure_live_recording(*m.recording));
}

}  // extern "C"
}  // namespace veltrane
