#include "model/speed_measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>

#include "model/wav_reading.h"
#include "speed_recording.h"

namespace veltrane {
namespace {

// A file's bytes through the reader and the meter, in pieces that split frames.
SpeedResult measure_file(const std::string& file, const SpeedOptions& options = {}) {
  WavReader reader;
  std::optional<SpeedMeter> meter;
  std::vector<double> samples;
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  for (std::size_t at = 0; at < file.size() && !reader.problem; at += 4097) {
    samples.clear();
    read_wav_bytes(reader, std::span(bytes + at, std::min<std::size_t>(4097, file.size() - at)),
                   samples);
    if (reader.format && !meter) meter = make_speed_meter(reader.format->sample_rate_hz, options);
    if (meter) add_speed_samples(*meter, samples);
  }
  finish_wav(reader);
  if (reader.problem) {
    SpeedResult refused;
    refused.problem = reader.problem;
    return refused;
  }
  meter->clipped_samples = reader.clipped;
  return measure_speed(*meter);
}

TEST(SpeedMeasurement, FiguresOfSyntheticRecordings) {
  constexpr double revolution_hz = 100.0 / 3 / 60;  // 18 s hold ten revolutions
  // clang-format off
  const struct { ToneRecording tone; WavLayout layout; double wow, flutter, dominant_hz, slack = 0.003; } cases[] = {
      {{.error_percent = 0.5},                                       {}, 0, 0, 0},
      {{.rate_hz = 44100, .error_percent = -1.2, .drift_percent_per_min = 0.3,
        .modulation_hz = revolution_hz, .modulation_percent = 0.2}, {24, false, true, 2},
       0.2 / std::sqrt(2), 0, revolution_hz},
      {{.error_percent = 0.02, .modulation_hz = 4, .modulation_percent = 0.1, .noise_rms = 0.01},
       {32, true, false, 2}, 0.1 / std::sqrt(2), 0, 4, 0.012},
      {{.rate_hz = 96000, .seconds = 10, .error_percent = -0.3, .modulation_hz = 10,
        .modulation_percent = 0.05},                                 {32}, 0, 0.05 / std::sqrt(2), 10},
      // Five seconds: the revolution line's lobe reaches below 0.5 Hz, yet counts whole.
      {{.seconds = 5, .modulation_hz = revolution_hz, .modulation_percent = 0.3}, {},
       0.3 / std::sqrt(2), 0, revolution_hz},
      // Just below the bands' split: wow alone, none of it spilt into flutter.
      {{.seconds = 8, .modulation_hz = 5.8, .modulation_percent = 0.05}, {},
       0.05 / std::sqrt(2), 0, 5.8, 0.0005},
      {{.rate_hz = 8000, .seconds = 6, .tone_hz = 3000, .error_percent = 3.5}, {}, 0, 0, 0},
      {{.rate_hz = 192000, .seconds = 5, .error_percent = -3.9, .drift_percent_per_min = -1}, {},
       0, 0, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    const ToneRecording& t = c.tone;
    SCOPED_TRACE(std::to_string(t.rate_hz) + " Hz, error " + std::to_string(t.error_percent));
    const SpeedResult r =
        measure_file(wav_file(tone_samples(t), t.rate_hz, c.layout), {.tone_hz = t.tone_hz});
    ASSERT_FALSE(r.problem) << *r.problem;
    EXPECT_NEAR(r.speed_error_percent, t.error_percent, 0.01);
    EXPECT_NEAR(r.tone_hz, t.tone_hz * (1 + t.error_percent / 100), t.tone_hz * 1e-5);
    EXPECT_NEAR(r.drift_percent_per_min, t.drift_percent_per_min, 0.01);
    EXPECT_NEAR(r.duration_s, t.seconds, 1e-9);
    // Amplitudes within 2 % of the mean speed (the recording's are of the nominal one), and
    // no more than a trace where there is no modulation.
    const double of_mean = 1 / (1 + t.error_percent / 100);
    EXPECT_NEAR(r.wow_rms_percent, c.wow * of_mean, 0.02 * c.wow + c.slack);
    EXPECT_NEAR(r.flutter_rms_percent, c.flutter * of_mean, 0.02 * c.flutter + c.slack);
    const double a = t.modulation_percent * of_mean;
    EXPECT_NEAR(r.weighted_peak_percent, a * flutter_weighting_gain(t.modulation_hz),
                0.1 * a + c.slack);
    if (c.dominant_hz > 0) {
      EXPECT_NEAR(r.dominant_modulation_hz, c.dominant_hz, 0.02 * c.dominant_hz);
      EXPECT_NEAR(r.dominant_modulation_percent, a, 0.01 * a);
      EXPECT_EQ(r.dominant_is_revolution, c.dominant_hz == revolution_hz);
    }
    EXPECT_TRUE(r.warnings.empty());
  }
}

// The standard's calibration point and the shape either side of it.
TEST(SpeedMeasurement, WeightingCurve) {
  // clang-format off
  const struct { double hz, db, tolerance_db; } points[] = {
      {4, 0, 1e-9}, {0.2, -30.6, 1}, {0.5, -11.5, 1.5}, {1, -4.2, 1}, {2, -0.9, 1},
      {10, -4.2, 1.5}, {20, -10.9, 1}, {100, -25.5, 1}, {200, -31.6, 1},
  };
  // clang-format on
  for (const auto& p : points)
    EXPECT_NEAR(20 * std::log10(flutter_weighting_gain(p.hz)), p.db, p.tolerance_db) << p.hz;
}

TEST(SpeedMeasurement, ProblemsAndWarnings) {
  const std::string good = wav_file(tone_samples({.seconds = 6}), 48000);
  std::string eight_bit = good;
  eight_bit[34] = 8;  // bits per sample of the format chunk
  std::string adpcm = good;
  adpcm[20] = 2;
  std::string slow = wav_file(tone_samples({.rate_hz = 8000, .seconds = 6}), 8000);
  slow[24] = 0x40;  // 8000 -> 0x1F40: 0x40 Hz
  slow[25] = 0;
  // clang-format off
  const struct { std::string file; SpeedOptions options; const char* problem; std::optional<double> found; } cases[] = {
      {"",                          {}, "the file is empty", {}},
      {"ID3\x03 an mp3 perhaps",    {}, "the file is not a WAV file (it does not begin with RIFF...WAVE)", {}},
      {good.substr(0, 30),          {}, "the WAV file is truncated: it ends before its data chunk", {}},
      {good.substr(0, good.size() - 3), {}, "the WAV file is truncated: its data chunk declares 576000 bytes, the file holds 575997", {}},
      {eight_bit,                   {}, "the recording is 8-bit PCM: only 16-, 24- and 32-bit integer PCM and 32-bit float WAV files can be read", {}},
      {adpcm,                       {}, "the recording is in another encoding (format 2): only 16-, 24- and 32-bit integer PCM and 32-bit float WAV files can be read", {}},
      {slow,                        {}, "the recording's sample rate is 64 Hz: only 8 to 192 kHz can be read", {}},
      {wav_file(std::vector<double>(std::size_t{48000} * 6), 48000), {}, "the recording is silent", {}},
      {wav_file(tone_samples({.seconds = 4.5}), 48000), {}, "the recording is 4.5 s long: the measurement needs at least 5 s of the tone", {}},
      {wav_file(tone_samples({.tone_hz = 1000}), 48000), {}, "no tone within \u00B14 % of 3150 Hz", 1000},
      {wav_file(tone_samples({.tone_hz = 3000}), 48000), {}, "no tone within \u00B14 % of 3150 Hz", 3000},
      {good,                        {.tone_hz = 7000}, "no tone within \u00B14 % of 7000 Hz", 3150},
      {slow.replace(24, 2, "\x40\x1F", 2), {.tone_hz = 4000}, "a tone of 4000 Hz cannot be measured at 8000 samples per second: it needs a sample rate above 8820 Hz", {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const SpeedResult r = measure_file(c.file, c.options);
    EXPECT_EQ(r.problem.value_or("(none)"), c.problem);
    EXPECT_EQ(r.found_tone_hz.has_value(), c.found.has_value()) << c.problem;
    if (c.found && r.found_tone_hz) {
      EXPECT_NEAR(*r.found_tone_hz, *c.found, 1) << c.problem;
    }
  }
  // A clipping recording is measured all the same.
  const SpeedResult clipped = measure_file(
      wav_file(tone_samples({.seconds = 6, .error_percent = 1, .amplitude = 1.5}), 48000));
  ASSERT_FALSE(clipped.problem);
  EXPECT_NEAR(clipped.speed_error_percent, 1, 0.01);
  ASSERT_EQ(clipped.warnings.size(), 1u);
  EXPECT_TRUE(clipped.warnings[0].starts_with("the recording clips (")) << clipped.warnings[0];
}

}  // namespace
}  // namespace veltrane
