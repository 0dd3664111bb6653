#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/problems.h"
#include "model/speed_measurement.h"
#include "model/wav_reading.h"

namespace veltrane {

/// What a recording of a test tone is measured against, as typed: the record's tone in Hz
/// and the turntable's speed ("33 1/3", "100/3", "45").
struct SpeedRequest {
  std::string tone = "3150";
  std::string rpm = "100/3";
};

/// The options the texts give. The tone is read strictly in every reading but the decimal
/// comma's (no window has it); the speed as every speed is read.
Resolved<SpeedOptions> resolve_speed(const SpeedRequest& request, Reading reading);

/// A recording being measured as it arrives: the bytes of a WAV file, or the samples of a
/// live input. Memory stays bounded whatever its length.
struct SpeedRecording {
  SpeedOptions options;
  WavReader reader;
  std::optional<SpeedMeter> meter;
  std::vector<double> samples;  // the piece in hand, decoded
};

/// A recording from a WAV file, whose header names its sample rate.
SpeedRecording begin_file_recording(const SpeedOptions& options);

/// Live input at `sample_rate_hz`: the last minute or so of the frequency track is kept.
SpeedRecording begin_live_recording(SpeedOptions options, double sample_rate_hz);

/// The next bytes of the file.
void add_recording_bytes(SpeedRecording& recording, std::span<const unsigned char> bytes);

/// The next samples of live input (full scale ±1); those at full scale count as clipped.
void add_recording_samples(SpeedRecording& recording, std::span<const float> samples);

/// How many seconds of sound have arrived.
double recorded_seconds(const SpeedRecording& recording);

/// The figures of the whole file once every byte of it is given, or why there are none: a
/// file that is no WAV this reads, is truncated, too short, silent or holds no tone near the
/// nominal one. The problem's words begin with `name` quoted (the file's). A recording that
/// clips, or whose end is left out, is measured with a warning.
Resolved<SpeedResult> measure_file_recording(SpeedRecording& recording, std::string_view name);

/// The figures of live input so far, as measure_file_recording gives them.
Resolved<SpeedResult> measure_live_recording(const SpeedRecording& recording);

}  // namespace veltrane
