// The speed measurement's road into the core: a recording's bytes or the microphone's
// samples go in as they arrive, the figures come out as the text veltrane-cli prints.
#include <emscripten/emscripten.h>

#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/number_format.h"
#include "model/speed_measurement.h"
#include "model/speed_report.h"
#include "model/strobe_speed.h"
#include "model/wav_reading.h"

namespace veltrane {
namespace {

// Listening keeps about the last minute of the frequency track.
constexpr std::size_t live_track_points = std::size_t{1} << 17;

struct Measurement {
  SpeedOptions options;
  WavReader reader;
  std::optional<SpeedMeter> meter;
  std::vector<double> samples;
  std::vector<unsigned char> input;  // where the page puts the next bytes or samples
  std::string text;
};

Measurement& measurement() {
  static Measurement m;
  return m;
}

const char* report(const SpeedResult& result) {
  Measurement& m = measurement();
  if (result.problem) {
    m.text = "Problem: " + speed_problem_text(result);
    if (result.found_tone_hz)
      m.text += ". If that is the record's test tone, set the tone to " +
                format_up_to_three_decimals(std::round(*result.found_tone_hz)) + " Hz.";
    m.text += "\n";
  } else {
    m.text = speed_report_text(result);
    for (const std::string& warning : result.warnings) m.text += "Warning: " + warning + "\n";
  }
  return m.text.c_str();
}

}  // namespace

extern "C" {

// Begins a measurement with the texts of the tone and the speed boxes in the input, a line
// each ("3150\n33 1/3"); for listening, `sample_rate_hz` is the microphone's, for a file 0
// (the file names its own). Returns "" or, for a box that reads as no number, why.
EMSCRIPTEN_KEEPALIVE const char* vt_speed_begin(double sample_rate_hz) {
  Measurement& m = measurement();
  const std::string texts(m.input.begin(), m.input.end());
  m = Measurement{};
  const auto newline = texts.find('\n');
  const auto tone = read_positive_decimal(texts.substr(0, newline));
  const auto rpm = read_strobe_speed(newline == std::string::npos ? "" : texts.substr(newline + 1));
  if (!tone) m.text = "The tone must be a frequency in Hz greater than 0.";
  if (!rpm) m.text = "The speed must be a number of RPM greater than 0, such as 33 1/3 or 45.";
  if (!tone || !rpm) return m.text.c_str();
  m.options.tone_hz = *tone;
  m.options.rpm = *rpm;
  if (sample_rate_hz > 0) {
    m.options.rolling = true;
    m.options.max_track_points = live_track_points;
    m.meter = make_speed_meter(sample_rate_hz, m.options);
  }
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
  m.samples.clear();
  read_wav_bytes(m.reader, std::span(m.input.data(), static_cast<std::size_t>(count)), m.samples);
  if (m.reader.format && !m.meter)
    m.meter = make_speed_meter(m.reader.format->sample_rate_hz, m.options);
  if (m.meter) add_speed_samples(*m.meter, m.samples);
}

// The next `count` microphone samples, 32-bit floats in the input.
EMSCRIPTEN_KEEPALIVE void vt_speed_samples(int count) {
  Measurement& m = measurement();
  if (!m.meter) return;
  const auto* floats = reinterpret_cast<const float*>(m.input.data());
  m.samples.assign(floats, floats + count);
  for (const double x : m.samples) m.meter->clipped_samples += std::fabs(x) >= 1 ? 1 : 0;
  add_speed_samples(*m.meter, m.samples);
}

// The figures so far (listening), or of the whole file once its bytes are all given.
EMSCRIPTEN_KEEPALIVE const char* vt_speed_result(int file_complete) {
  Measurement& m = measurement();
  if (file_complete) {
    finish_wav(m.reader);
    if (m.reader.problem) {
      SpeedResult refused;
      refused.problem = m.reader.problem;
      return report(refused);
    }
    m.meter->clipped_samples = m.reader.clipped;
  }
  if (!m.meter) {
    SpeedResult none;
    none.problem = "nothing measured yet";
    return report(none);
  }
  const double heard_s = static_cast<double>(m.meter->samples) / m.meter->sample_rate_hz;
  if (!file_complete && heard_s < min_speed_recording_s) {
    m.text = "Listening: " + format_fixed(heard_s, 1) + " s; the figures follow after " +
             format_up_to_three_decimals(min_speed_recording_s) + " s of the tone.\n";
    return m.text.c_str();
  }
  return report(measure_speed(*m.meter));
}

}  // extern "C"
}  // namespace veltrane
