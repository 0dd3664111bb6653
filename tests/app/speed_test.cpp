#include <gtest/gtest.h>

#include <span>
#include <string>

#include "app/speed.h"
#include "speed_recording.h"

namespace veltrane {
namespace {

std::string first_problem(const Problems& problems) {
  return problems.empty() ? "" : problems.front().field + ": " + problems.front().words;
}

TEST(ResolveSpeed, ReadsTheToneStrictlyAndTheSpeedAsEverySpeed) {
  // clang-format off
  const struct { const char* tone; const char* rpm; Reading reading; std::string problem; double tone_hz, rpm_value; } cases[] = {
      {"3150", "33 1/3", Reading::strict, "", 3150, 100.0 / 3},
      {"3000", "100/3", Reading::strict, "", 3000, 100.0 / 3},
      {"3150,5", "45", Reading::decimal_comma, "", 3150.5, 45},
      {"3150,5", "45", Reading::strict, "speed-tone: test tone must be a number of Hz, such as 3150, not '3150,5'", 0, 0},
      // No window has the tone: the windows' reading reads it strictly too.
      {"abc", "45", Reading::as_typed, "speed-tone: test tone must be a number of Hz, such as 3150, not 'abc'", 0, 0},
      {"0", "45", Reading::as_typed, "speed-tone: test tone must be more than 0 Hz, not 0 Hz", 0, 0},
      {"92067", "45", Reading::strict, "", 92067, 45},
      {"1e308", "45", Reading::strict, "speed-tone: test tone must be at most 92067 Hz (what a recording at 192 kHz can carry), not 1e+308 Hz", 0, 0},
      {"3150", "fast", Reading::strict, "speed-rpm: turntable speed must be a number of RPM above 0, such as 45, 100/3 or 33 1/3, not 'fast'", 0, 0},
      {"3150", "-45", Reading::strict, "speed-rpm: turntable speed must be a number of RPM above 0, such as 45, 100/3 or 33 1/3, not '-45'", 0, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Resolved<SpeedOptions> options = resolve_speed({c.tone, c.rpm}, c.reading);
    EXPECT_EQ(first_problem(options.problems), c.problem) << c.tone << " " << c.rpm;
    ASSERT_EQ(options.value.has_value(), c.problem.empty()) << c.tone;
    if (!options.value) continue;
    EXPECT_EQ(options.value->tone_hz, c.tone_hz);
    EXPECT_EQ(options.value->rpm, c.rpm_value);
  }
}

TEST(SpeedRecording, BadFilesAreProblemsClippingAWarning) {
  const std::string tone = wav_file(tone_samples({.seconds = 6, .error_percent = 0.5}), 48000);
  const std::string clipping =
      wav_file(tone_samples({.seconds = 6, .error_percent = 0.5, .amplitude = 2}), 48000);
  const std::string other = wav_file(tone_samples({.seconds = 6, .tone_hz = 3000}), 48000);
  const std::string riff = "RIFF";
  const std::string cut = tone.substr(0, 60000);
  // clang-format off
  const struct { const std::string& bytes; std::size_t piece; std::string problem; std::string warning; } cases[] = {
      {tone, 4096, "", ""},
      {tone, 7, "", ""},
      {clipping, 65536, "", "the recording clips ("},
      {other, 65536, "speed-tone: 'a.wav': no tone within \u00B14 % of 3150 Hz; the recording's tone is at 3000.0 Hz: if that is the record's test tone, give the test tone as 3000 Hz", ""},
      {riff, 4096, "speed-file: 'a.wav': the file is not a WAV file (it is too short for one)", ""},
      {cut, 4096, "speed-file: 'a.wav': the WAV file is truncated: its data chunk declares 576000 bytes, the file holds 59944", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SpeedRecording recording = begin_file_recording({});
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
    for (std::size_t at = 0; at < c.bytes.size(); at += c.piece)
      add_recording_bytes(recording, std::span(bytes + at, std::min(c.piece, c.bytes.size() - at)));
    const Resolved<SpeedResult> result = measure_file_recording(recording, "a.wav");
    EXPECT_EQ(first_problem(result.problems), c.problem);
    EXPECT_EQ(result.value.has_value(), c.problem.empty());
    if (result.value) {
      EXPECT_NEAR(result.value->speed_error_percent, 0.5, 0.005);
    }
    EXPECT_TRUE((result.warnings.empty() ? "" : result.warnings.front()).starts_with(c.warning))
        << c.warning;
    EXPECT_EQ(result.warnings.empty(), c.warning.empty());
  }
  // Live input: nothing until it is long enough, then the figures of the samples heard.
  SpeedRecording live = begin_live_recording({}, 48000);
  const std::vector<double> samples = tone_samples({.seconds = 6, .error_percent = -0.2});
  const std::vector<float> floats(samples.begin(), samples.end());
  add_recording_samples(live, std::span(floats).first(48000));
  EXPECT_EQ(recorded_seconds(live), 1);
  EXPECT_TRUE(
      measure_live_recording(live).problems.front().words.starts_with("the recording is 1"));
  add_recording_samples(live, std::span(floats).subspan(48000));
  const Resolved<SpeedResult> heard = measure_live_recording(live);
  ASSERT_TRUE(heard.value.has_value()) << first_problem(heard.problems);
  EXPECT_NEAR(heard.value->speed_error_percent, -0.2, 0.005);
}

}  // namespace
}  // namespace veltrane
