#include "model/wav_reading.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace veltrane {
namespace {

constexpr std::uint32_t unknown_data_size = 0xFFFFFFFF;  // written by recorders that stream
constexpr std::uint64_t max_fmt_bytes = 1024;
constexpr std::uint16_t tag_pcm = 1;
constexpr std::uint16_t tag_float = 3;
constexpr std::uint16_t tag_extensible = 0xFFFE;

std::uint32_t little_endian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

std::optional<std::string> check_format(const WavFormat& f, std::uint16_t tag) {
  const bool pcm = tag == tag_pcm && (f.bits == 16 || f.bits == 24 || f.bits == 32);
  const bool single_float = tag == tag_float && f.bits == 32;
  if (!pcm && !single_float)
    return "the recording is " +
           (tag == tag_pcm || tag == tag_float
                ? std::to_string(f.bits) + "-bit " + (tag == tag_pcm ? "PCM" : "float")
                : "in another encoding (format " + std::to_string(tag) + ")") +
           ": only 16-, 24- and 32-bit integer PCM and 32-bit float WAV files can be read";
  if (f.channels < 1) return "the WAV file's format chunk names no channel";
  if (f.sample_rate_hz < lowest_wav_rate_hz || f.sample_rate_hz > highest_wav_rate_hz)
    return "the recording's sample rate is " + std::to_string(f.sample_rate_hz) +
           " Hz: only 8 to 192 kHz can be read";
  return std::nullopt;
}

// The "fmt " chunk's body: the encoding of the samples.
void read_fmt(WavReader& r, const unsigned char* body, std::uint64_t size) {
  auto tag = static_cast<std::uint16_t>(little_endian(body, 2));
  WavFormat f;
  f.channels = static_cast<int>(little_endian(body + 2, 2));
  f.sample_rate_hz =
      static_cast<int>(std::min<std::uint32_t>(little_endian(body + 4, 4), 1u << 30));
  const std::uint32_t block_align = little_endian(body + 12, 2);
  f.bits = static_cast<int>(little_endian(body + 14, 2));
  // The extensible header names the encoding by the first two bytes of its sub-format GUID.
  if (tag == tag_extensible && size >= 26)
    tag = static_cast<std::uint16_t>(little_endian(body + 24, 2));
  f.is_float = tag == tag_float;
  r.problem = check_format(f, tag);
  if (!r.problem && block_align != static_cast<std::uint32_t>(f.channels) * (f.bits / 8))
    r.problem =
        "the WAV file's format chunk is damaged (its frame size does not fit its "
        "channels and bits)";
  r.fmt_chunk = f;
}

double decode(const WavReader& r, const unsigned char* s, bool& clipped) {
  const WavFormat& f = *r.format;
  if (f.is_float) {
    const std::uint32_t bits = little_endian(s, 4);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    clipped = !(std::fabs(value) < 1);
    return value;
  }
  const int bytes = f.bits / 8;
  const std::uint32_t raw = little_endian(s, bytes);
  const int shift = 32 - f.bits;
  // Sign-extended through the top bits of a 32-bit word.
  const auto value = static_cast<std::int32_t>(raw << shift) >> shift;
  const std::int64_t full = std::int64_t{1} << (f.bits - 1);
  clipped = value == full - 1 || value == -full;
  return static_cast<double>(value) / static_cast<double>(full);
}

void decode_data(WavReader& r, std::span<const unsigned char>& bytes,
                 std::vector<double>& samples) {
  const auto frame = static_cast<std::size_t>(r.format->channels) * (r.format->bits / 8);
  while (!bytes.empty() && r.chunk_left >= frame && !r.problem) {
    const unsigned char* start = nullptr;
    if (r.pending.empty() && bytes.size() >= frame) {
      start = bytes.data();
      bytes = bytes.subspan(frame);
    } else {
      const std::size_t take = std::min(frame - r.pending.size(), bytes.size());
      r.pending.insert(r.pending.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(take));
      bytes = bytes.subspan(take);
      if (r.pending.size() < frame) return;
      start = r.pending.data();
    }
    bool clipped = false;
    const double value = decode(r, start, clipped);
    r.pending.clear();
    if (!std::isfinite(value)) {
      r.problem = "the recording holds samples that are not numbers";
      return;
    }
    samples.push_back(value);
    r.clipped += clipped ? 1 : 0;
    ++r.frames;
    r.chunk_left -= frame;
  }
  if (r.chunk_left < frame) r.stage = WavReader::Stage::done;
}

// Gathers `count` bytes of a header in `pending`; true once they are all there.
bool gather(WavReader& r, std::span<const unsigned char>& bytes, std::size_t count) {
  const std::size_t take = std::min(count - r.pending.size(), bytes.size());
  r.pending.insert(r.pending.end(), bytes.begin(),
                   bytes.begin() + static_cast<std::ptrdiff_t>(take));
  bytes = bytes.subspan(take);
  return r.pending.size() == count;
}

}  // namespace

void read_wav_bytes(WavReader& r, std::span<const unsigned char> bytes,
                    std::vector<double>& samples) {
  using Stage = WavReader::Stage;
  while (!bytes.empty() && !r.problem && r.stage != Stage::done) {
    switch (r.stage) {
      case Stage::riff:
        if (!gather(r, bytes, 12)) return;
        if (std::memcmp(r.pending.data(), "RIFF", 4) != 0 ||
            std::memcmp(r.pending.data() + 8, "WAVE", 4) != 0) {
          r.problem = "the file is not a WAV file (it does not begin with RIFF...WAVE)";
          return;
        }
        r.pending.clear();
        r.stage = Stage::chunk_header;
        break;
      case Stage::chunk_header: {
        if (!gather(r, bytes, 8)) return;
        const std::uint32_t size = little_endian(r.pending.data() + 4, 4);
        const bool fmt = std::memcmp(r.pending.data(), "fmt ", 4) == 0;
        const bool data = std::memcmp(r.pending.data(), "data", 4) == 0;
        r.pending.clear();
        if (fmt) {
          if (size < 16 || size > max_fmt_bytes) {
            r.problem = "the WAV file's format chunk is damaged";
            return;
          }
          r.chunk_left = size + (size & 1);
          r.stage = Stage::fmt_body;
        } else if (data) {
          if (!r.fmt_chunk) {
            r.problem = "the WAV file's data comes before its format chunk";
            return;
          }
          r.format = r.fmt_chunk;
          r.format->data_bytes = size;
          r.chunk_left = size == unknown_data_size ? UINT64_MAX : size;
          const auto frame = static_cast<std::uint64_t>(r.format->channels) * (r.format->bits / 8);
          r.stage = r.chunk_left < frame ? Stage::done : Stage::data;
        } else {
          r.chunk_left = std::uint64_t{size} + (size & 1);
          r.stage = Stage::skip;
        }
        break;
      }
      case Stage::fmt_body:
        if (!gather(r, bytes, r.chunk_left)) return;
        read_fmt(r, r.pending.data(), r.chunk_left);
        r.pending.clear();
        r.stage = Stage::chunk_header;
        break;
      case Stage::skip: {
        const std::uint64_t take = std::min<std::uint64_t>(r.chunk_left, bytes.size());
        bytes = bytes.subspan(static_cast<std::size_t>(take));
        r.chunk_left -= take;
        if (r.chunk_left == 0) r.stage = Stage::chunk_header;
        break;
      }
      case Stage::data:
        decode_data(r, bytes, samples);
        break;
      case Stage::done:
        break;
    }
  }
}

void finish_wav(WavReader& r) {
  if (r.problem) return;
  using Stage = WavReader::Stage;
  if (r.stage == Stage::riff) {
    r.problem = r.pending.empty() ? "the file is empty"
                                  : "the file is not a WAV file (it is too short for one)";
  } else if (!r.format) {
    r.problem = "the WAV file is truncated: it ends before its data chunk";
  } else if (r.stage == Stage::data && r.format->data_bytes != unknown_data_size) {
    r.problem = "the WAV file is truncated: its data chunk declares " +
                std::to_string(r.format->data_bytes) + " bytes, the file holds " +
                std::to_string(r.format->data_bytes - r.chunk_left + r.pending.size());
  }
}

}  // namespace veltrane
