#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrane {

/// Called with each band's index on the thread about to deflate it; it may throw to stand for
/// a failure there (tests do).
using PngBandProbe = void (*)(int band);

/// Eight-bit grey rows (`height` rows of `width` bytes, `stride` bytes apart) as a PNG file
/// that states `dots_per_metre`. Bands of rows are deflated on all cores; the bytes do not
/// depend on the machine. Empty when the image cannot be encoded (no memory, a band that
/// fails on any thread): never an exception.
std::string encode_grey_png(const std::uint8_t* rows, int width, int height, std::ptrdiff_t stride,
                            int dots_per_metre, PngBandProbe probe = nullptr);

}  // namespace veltrane
