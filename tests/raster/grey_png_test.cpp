#include "raster/grey_png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace veltrane {
namespace {

// What a PNG reader finds in a grey image: its size, resolution and rows, or `ok` false
// when a chunk's checksum, the stream's, or a row's filter is not what the writer promises.
struct DecodedPng {
  bool ok = false;
  std::uint32_t width = 0, height = 0, dots_per_metre = 0;
  std::string pixels;  // rows without their filter bytes
};

std::uint32_t be32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

DecodedPng decoded(const std::string& png) {
  DecodedPng image;
  if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return image;
  std::string stream;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = be32(png, at);
    const std::string type = png.substr(at + 4, 4);
    const auto* checked = reinterpret_cast<const Bytef*>(png.data() + at + 4);
    if (crc32(0, checked, length + 4) != be32(png, at + 8 + length)) return image;
    const std::string data = png.substr(at + 8, length);
    if (type == "IHDR") {
      image.width = be32(data, 0);
      image.height = be32(data, 4);
    }
    if (type == "pHYs") image.dots_per_metre = be32(data, 0);
    if (type == "IDAT") stream += data;
    at += 12 + length;
  }
  std::string rows((image.width + 1) * std::size_t{image.height}, '\0');
  uLongf size = rows.size();
  if (uncompress(reinterpret_cast<Bytef*>(rows.data()), &size,
                 reinterpret_cast<const Bytef*>(stream.data()), stream.size()) != Z_OK ||
      size != rows.size())
    return image;
  for (std::size_t y = 0; y < image.height; ++y) {
    if (rows[y * (image.width + 1)] != 0) return image;
    image.pixels += rows.substr(y * (image.width + 1) + 1, image.width);
  }
  image.ok = true;
  return image;
}

std::vector<std::uint8_t> pattern(int stride, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint8_t>(i % 7 == 0 ? 255 : (i * 37) % 256);
  return pixels;
}

TEST(GreyPng, DecodesToTheSamePixels) {
  // clang-format off
  const struct { int width, height, stride; } cases[] = {
      {1, 1, 4}, {7, 5, 8}, {300, 200, 300}, {1001, 3, 1004},
      {3, 2049, 4}, {40, 5000, 40},  // compressed in bands
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> pixels = pattern(c.stride, c.height);
    const DecodedPng image =
        decoded(encode_grey_png(pixels.data(), c.width, c.height, c.stride, 23622));
    ASSERT_TRUE(image.ok) << c.width << "x" << c.height;
    ASSERT_EQ(image.width, static_cast<std::uint32_t>(c.width));
    ASSERT_EQ(image.height, static_cast<std::uint32_t>(c.height));
    EXPECT_EQ(image.dots_per_metre, 23622u);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        ASSERT_EQ(
            static_cast<std::uint8_t>(image.pixels[static_cast<std::size_t>(y * c.width + x)]),
            pixels[static_cast<std::size_t>(y * c.stride + x)])
            << c.width << " at " << x << "," << y;
  }
  EXPECT_EQ(encode_grey_png(nullptr, 0, 0, 0, 1), "");
}

// A failure while a band is deflated, on whichever thread, reaches the caller as an image
// that cannot be encoded, not as the end of the process.
TEST(GreyPng, AFailingBandOnAnyThreadGivesNoImage) {
  const std::vector<std::uint8_t> pixels = pattern(40, 8192);  // eight bands
  for (const PngBandProbe probe : {PngBandProbe{[](int band) {
                                     if (band == 5) throw std::runtime_error("band 5");
                                   }},
                                   PngBandProbe{[](int) { throw std::bad_alloc(); }}}) {
    EXPECT_EQ(encode_grey_png(pixels.data(), 40, 8192, 40, 1, probe), "");
  }
  EXPECT_TRUE(decoded(encode_grey_png(pixels.data(), 40, 8192, 40, 1)).ok);
}

}  // namespace
}  // namespace veltrane
