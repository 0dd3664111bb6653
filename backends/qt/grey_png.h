#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrane {

/// Eight-bit grey rows (`height` rows of `width` bytes, `stride` bytes apart) as a PNG file
/// that states `dots_per_metre`. Empty when the image cannot be encoded.
std::string encode_grey_png(const std::uint8_t* rows, int width, int height, std::ptrdiff_t stride,
                            int dots_per_metre);

}  // namespace veltrane
