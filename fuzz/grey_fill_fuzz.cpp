// The coverage filler on an arbitrary polygon: the input is its corners, pairs of doubles
// in raster dots, inked onto a small sheet that may already hold ink. Whatever the corners,
// only the sheet's own dots change, and each only darker.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "raster/grey_fill.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veltrane;
  constexpr int width = 23, height = 17, stride = 32;
  std::vector<RasterPoint> corners(size / sizeof(RasterPoint));
  if (!corners.empty()) std::memcpy(corners.data(), data, corners.size() * sizeof(RasterPoint));
  // The sheet, with a guard band right of each row that must stay untouched.
  std::vector<unsigned char> dots(stride * height);
  for (std::size_t i = 0; i < dots.size(); ++i) dots[i] = static_cast<unsigned char>(i * 29);
  const std::vector<unsigned char> before = dots;
  ink_polygon({dots.data(), width, height, stride}, corners);
  for (std::size_t i = 0; i < dots.size(); ++i) {
    if (static_cast<int>(i % stride) >= width) require(dots[i] == before[i], "a dot off the sheet");
    require(dots[i] <= before[i], "a dot made lighter");
  }
  return 0;
}
