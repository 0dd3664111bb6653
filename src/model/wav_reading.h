#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace veltrane {

/// The sample rates a recording may have.
inline constexpr int lowest_wav_rate_hz = 8000;
inline constexpr int highest_wav_rate_hz = 192000;

/// How a WAV file's data chunk holds its samples.
struct WavFormat {
  int channels = 0;
  int sample_rate_hz = 0;
  int bits = 0;                  ///< per sample: 16, 24 or 32
  bool is_float = false;         ///< 32-bit IEEE float rather than integer PCM
  std::uint64_t data_bytes = 0;  ///< as the data chunk's header declares it
};

/// A WAV file read as it arrives, a piece at a time, so that a file of any length costs
/// only the piece in hand: RIFF/WAVE with a "fmt " chunk of integer PCM (16, 24 or 32 bits)
/// or 32-bit float, plain or WAVE_FORMAT_EXTENSIBLE, any number of channels at 8 to
/// 192 kHz; other chunks are skipped. Only the first channel (the left one) is decoded.
struct WavReader {
  std::optional<WavFormat> format;     ///< once the header up to the data chunk is read
  std::optional<std::string> problem;  ///< why the bytes are no WAV this reader reads
  std::uint64_t frames = 0;            ///< decoded so far
  std::uint64_t clipped = 0;           ///< samples at or beyond full scale

  // Parsing state: what is being read, the bytes of the piece not yet complete.
  enum class Stage : std::uint8_t { riff, chunk_header, fmt_body, skip, data, done };
  Stage stage = Stage::riff;
  std::vector<unsigned char> pending;
  std::uint64_t chunk_left = 0;
  std::optional<WavFormat> fmt_chunk;
};

/// Reads the next bytes of the file, appending the first channel's samples (full scale
/// ±1) to `samples`. After a problem it reads nothing more.
void read_wav_bytes(WavReader& reader, std::span<const unsigned char> bytes,
                    std::vector<double>& samples);

/// At the end of the file: a problem when it ended before its declared data did.
void finish_wav(WavReader& reader);

}  // namespace veltrane
