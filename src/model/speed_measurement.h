#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace veltrane {

/// What the recording is measured against.
struct SpeedOptions {
  double tone_hz = 3150;   ///< the test record's nominal tone
  double rpm = 100.0 / 3;  ///< the platter's speed, for naming the once-per-revolution line
  /// The most points of the frequency track kept; beyond it a file's rest is left out (with
  /// a warning), or, `rolling`, the oldest quarter is dropped (listening live).
  std::size_t max_track_points = std::size_t{1} << 20;
  bool rolling = false;
};

/// The least recording the figures are given for, in seconds.
inline constexpr double min_speed_recording_s = 5;
/// How far the tone may lie from the nominal one, in percent.
inline constexpr double max_tone_offset_percent = 4;

/// The highest nominal tone a recording at `sample_rate_hz` can carry with its ±4 % and its
/// sidebands of flutter; a tone at or above it cannot be measured.
double highest_measurable_tone_hz(double sample_rate_hz);

/// The tone's frequency track as the samples arrive: mixed down by the nominal tone,
/// low-passed and decimated to about 1.5 kHz, its phase differenced into frequency. Memory
/// is the filter and the track alone, whatever the recording's length.
struct SpeedMeter {
  double sample_rate_hz = 0;
  SpeedOptions options;
  int decimation = 1;
  std::vector<double> taps;
  std::vector<std::complex<double>> history;  // the last taps.size() mixed samples, twice
  std::size_t history_at = 0;
  std::uint64_t samples = 0;
  std::uint64_t outputs = 0;
  std::complex<double> oscillator{1, 0};
  std::complex<double> oscillator_step{1, 0};
  std::complex<double> previous{0, 0};
  double input_energy = 0;     // sum of the squared samples
  double baseband_energy = 0;  // sum of |z|^2 over the outputs kept
  std::vector<double> track_hz;
  std::uint64_t track_dropped = 0;  // points dropped from the front (rolling)
  bool track_full = false;
  std::uint64_t clipped_samples = 0;  ///< set by whoever decodes the samples
  // The loudest block of raw samples, to name a tone found away from the nominal one.
  std::vector<double> block;
  std::vector<double> loudest_block;
  double loudest_energy = -1;
};

SpeedMeter make_speed_meter(double sample_rate_hz, const SpeedOptions& options);

/// Adds samples (full scale ±1) of the recording.
void add_speed_samples(SpeedMeter& meter, std::span<const double> samples);

/// The figures of the recording so far, or why there are none.
struct SpeedResult {
  std::optional<std::string> problem;
  std::optional<double> found_tone_hz;  ///< with the problem of a tone away from the nominal
  std::vector<std::string> warnings;
  double nominal_tone_hz = 0;
  double rpm = 0;
  double tone_hz = 0;  ///< the mean frequency
  double speed_error_percent = 0;
  double drift_percent_per_min = 0;
  double wow_rms_percent = 0;
  double flutter_rms_percent = 0;
  double weighted_peak_percent = 0;
  double dominant_modulation_hz = 0;
  double dominant_modulation_percent = 0;
  bool dominant_is_revolution = false;  ///< the once-per-revolution line, rpm / 60 Hz
  double duration_s = 0;
  // For the page: the speed's deviation from nominal (percent) in equal steps of time, and
  // the deviation's amplitude spectrum (percent zero-to-peak) in equal steps of frequency.
  double deviation_start_s = 0;
  double deviation_step_s = 0;
  std::vector<double> deviation_percent;
  double spectrum_step_hz = 0;
  std::vector<double> spectrum_percent;
};

SpeedResult measure_speed(const SpeedMeter& meter);

/// The weighting of the weighted peak reading at `hz`, as a gain (1 at 4 Hz).
double flutter_weighting_gain(double hz);

/// In-place radix-2 FFT; the size must be a power of two.
void fft(std::vector<std::complex<double>>& data);

}  // namespace veltrane
