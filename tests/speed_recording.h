#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace veltrane {

/// A test tone as a turntable plays it: its speed off by `error_percent`, drifting linearly
/// (centred on the middle of the recording), modulated sinusoidally, with white noise.
struct ToneRecording {
  int rate_hz = 48000;
  double seconds = 18;
  double tone_hz = 3150;
  double error_percent = 0;
  double drift_percent_per_min = 0;
  double modulation_hz = 0;
  double modulation_percent = 0;  // zero to peak
  double noise_rms = 0;
  double amplitude = 0.5;
};

inline std::vector<double> tone_samples(const ToneRecording& r) {
  std::vector<double> samples(static_cast<std::size_t>(r.seconds * r.rate_hz));
  std::mt19937 random(29);
  std::normal_distribution<double> noise(0, r.noise_rms > 0 ? r.noise_rms : 1);
  double phase = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double t = static_cast<double>(i) / r.rate_hz;
    const double speed =
        1 + r.error_percent / 100 + r.drift_percent_per_min / 100 * (t - r.seconds / 2) / 60 +
        r.modulation_percent / 100 * std::sin(2 * std::numbers::pi * r.modulation_hz * t);
    samples[i] = r.amplitude * std::sin(phase) + (r.noise_rms > 0 ? noise(random) : 0);
    phase = std::fmod(phase + 2 * std::numbers::pi * r.tone_hz * speed / r.rate_hz,
                      2 * std::numbers::pi);
  }
  return samples;
}

/// How a WAV file holds its samples.
struct WavLayout {
  int bits = 16;
  bool is_float = false;
  bool extensible = false;
  int channels = 1;
};

/// The bytes of a WAV file of `samples` (the left channel; the right one is silent).
inline std::string wav_file(const std::vector<double>& samples, int rate_hz,
                            const WavLayout& layout = {}) {
  const auto u = [](std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
  };
  const int bytes = layout.bits / 8;
  const auto block = static_cast<std::uint32_t>(layout.channels * bytes);
  std::string data;
  for (const double x : samples) {
    for (int c = 0; c < layout.channels; ++c) {
      const double v = c == 0 ? x : 0;
      if (layout.is_float) {
        const auto f = static_cast<float>(v);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        u(data, bits, 4);
      } else {
        const double full = std::ldexp(1.0, layout.bits - 1);
        const double clamped = std::fmax(-full, std::fmin(full - 1, std::nearbyint(v * full)));
        u(data, static_cast<std::uint32_t>(static_cast<std::int64_t>(clamped)), bytes);
      }
    }
  }
  const std::uint16_t tag = layout.is_float ? 3 : 1;
  std::string fmt;
  u(fmt, layout.extensible ? 0xFFFE : tag, 2);
  u(fmt, static_cast<std::uint32_t>(layout.channels), 2);
  u(fmt, static_cast<std::uint32_t>(rate_hz), 4);
  u(fmt, static_cast<std::uint32_t>(rate_hz) * block, 4);
  u(fmt, block, 2);
  u(fmt, static_cast<std::uint32_t>(layout.bits), 2);
  if (layout.extensible) {
    u(fmt, 22, 2);
    u(fmt, static_cast<std::uint32_t>(layout.bits), 2);
    u(fmt, 0, 4);  // channel mask
    u(fmt, tag, 2);
    fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  std::string file = "RIFF";
  u(file, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + 8 + 4 + data.size()), 4);
  file += "WAVEfmt ";
  u(file, static_cast<std::uint32_t>(fmt.size()), 4);
  file += fmt;
  file += "LIST";  // a chunk a reader must skip
  u(file, 4, 4);
  file += "INFO";
  file += "data";
  u(file, static_cast<std::uint32_t>(data.size()), 4);
  return file + data;
}

}  // namespace veltrane
