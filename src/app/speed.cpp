#include "app/speed.h"

#include <cmath>
#include <utility>

#include "model/number_format.h"
#include "model/speed_report.h"
#include "model/strobe_speed.h"

namespace veltrane {
namespace {

constexpr Quantity tone_q{"speed-tone", "test tone", "Hz"};

// Listening keeps about the last minute of the frequency track at its 1.5 kHz.
constexpr std::size_t live_track_points = std::size_t{1} << 17;

// The measurement's figures, or its problem in words beginning with `prefix`. A tone found
// away from the nominal one is a problem of the tone asked for, and the words say which to
// ask for instead.
Resolved<SpeedResult> resolved_result(SpeedResult result, const std::string& prefix) {
  Resolved<SpeedResult> resolved;
  if (!result.problem) {
    resolved.warnings = std::move(result.warnings);
    resolved.value = std::move(result);
    return resolved;
  }
  std::string words = prefix + speed_problem_text(result);
  if (result.found_tone_hz)
    words += ": if that is the record's test tone, give the test tone as " +
             format_up_to_three_decimals(std::round(*result.found_tone_hz)) + " Hz";
  resolved.problems.push_back({result.found_tone_hz ? "speed-tone" : "speed-file", words});
  return resolved;
}

}  // namespace

Resolved<SpeedOptions> resolve_speed(const SpeedRequest& request, Reading reading) {
  ProblemList list(reading == Reading::decimal_comma ? reading : Reading::strict);
  SpeedOptions options;
  if (const auto tone = list.positive(tone_q, request.tone, "3150")) {
    // Above this no WAV file could hold the tone: a problem of the tone, before any reading.
    const double highest = std::floor(highest_measurable_tone_hz(highest_wav_rate_hz));
    if (*tone > highest)
      list.add(tone_q.field, "test tone must be at most " + format_up_to_three_decimals(highest) +
                                 " Hz (what a recording at " +
                                 format_up_to_three_decimals(highest_wav_rate_hz / 1000.0) +
                                 " kHz can carry), not " + value_text(*tone, tone_q));
    else
      options.tone_hz = *tone;
  }
  if (const auto rpm = read_strobe_speed(request.rpm)) {
    options.rpm = *rpm;
  } else {
    list.add("speed-rpm",
             "turntable speed must be a number of RPM above 0, such as 45, 100/3 or 33 1/3, "
             "not " +
                 quoted_text(request.rpm));
  }
  Resolved<SpeedOptions> resolved;
  resolved.problems = list.problems();
  if (list.empty()) resolved.value = options;
  return resolved;
}

SpeedRecording begin_file_recording(const SpeedOptions& options) {
  return {options, {}, std::nullopt, {}};
}

SpeedRecording begin_live_recording(SpeedOptions options, double sample_rate_hz) {
  options.rolling = true;
  options.max_track_points = live_track_points;
  SpeedRecording recording{options, {}, std::nullopt, {}};
  recording.meter = make_speed_meter(sample_rate_hz, options);
  return recording;
}

void add_recording_bytes(SpeedRecording& r, std::span<const unsigned char> bytes) {
  r.samples.clear();
  read_wav_bytes(r.reader, bytes, r.samples);
  if (r.reader.format && !r.meter)
    r.meter = make_speed_meter(r.reader.format->sample_rate_hz, r.options);
  if (r.meter) add_speed_samples(*r.meter, r.samples);
}

void add_recording_samples(SpeedRecording& r, std::span<const float> samples) {
  if (!r.meter) return;
  r.samples.assign(samples.begin(), samples.end());
  for (const double x : r.samples) r.meter->clipped_samples += std::fabs(x) >= 1 ? 1 : 0;
  add_speed_samples(*r.meter, r.samples);
}

double recorded_seconds(const SpeedRecording& r) {
  return r.meter ? static_cast<double>(r.meter->samples) / r.meter->sample_rate_hz : 0;
}

Resolved<SpeedResult> measure_file_recording(SpeedRecording& r, std::string_view name) {
  const std::string prefix = quoted_text(name) + ": ";
  finish_wav(r.reader);
  if (r.reader.problem || !r.meter) {
    Resolved<SpeedResult> refused;
    refused.problems.push_back(
        {"speed-file", prefix + r.reader.problem.value_or("the file holds no sound")});
    return refused;
  }
  r.meter->clipped_samples = r.reader.clipped;
  return resolved_result(measure_speed(*r.meter), prefix);
}

Resolved<SpeedResult> measure_live_recording(const SpeedRecording& r) {
  if (!r.meter) {
    Resolved<SpeedResult> none;
    none.problems.push_back({"speed-listen", "nothing is being measured"});
    return none;
  }
  return resolved_result(measure_speed(*r.meter), "");
}

}  // namespace veltrane
