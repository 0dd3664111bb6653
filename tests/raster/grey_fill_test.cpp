#include "raster/grey_fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace veltrane {
namespace {

struct Sheet {
  int width = 0, height = 0;
  std::vector<unsigned char> dots;

  Sheet(int w, int h, unsigned char grey = 255)
      : width(w), height(h), dots(static_cast<std::size_t>(w) * h, grey) {}
  GreyRaster raster() { return {dots.data(), width, height, width}; }
  int at(int x, int y) const { return dots[static_cast<std::size_t>(y) * width + x]; }
  // The share of dot (x, y) inked over white.
  double ink(int x, int y) const { return (255 - at(x, y)) / 255.0; }
};

bool inside(const std::vector<RasterPoint>& polygon, double x, double y) {
  int winding = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const RasterPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
    const double side = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
    if (a.y <= y && b.y > y && side > 0) ++winding;
    if (b.y <= y && a.y > y && side < 0) --winding;
  }
  return winding != 0;
}

// The share of each dot inside `polygon`, counted on a grid of 64 by 64 points per dot.
std::vector<double> sampled(const std::vector<RasterPoint>& polygon, int width, int height) {
  constexpr int n = 64;
  std::vector<double> shares(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int in = 0;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) in += inside(polygon, x + (i + 0.5) / n, y + (j + 0.5) / n);
      shares[static_cast<std::size_t>(y) * width + x] = in / double(n * n);
    }
  return shares;
}

TEST(GreyFill, InksEachDotByTheShareOfItCovered) {
  // clang-format off
  const struct { const char* name; std::vector<RasterPoint> polygon; std::vector<double> ink; } cases[] = {
    {"rectangle on fractions", {{1.25, 0.5}, {3.75, 0.5}, {3.75, 2}, {1.25, 2}},
     {0, 0.375, 0.5, 0.375, 0,
      0, 0.75,  1,   0.75,  0,
      0, 0,     0,   0,     0}},
    {"triangle, its long side through dot corners", {{0, 0}, {3, 0}, {0, 3}},
     {1,   1,   0.5, 0, 0,
      1,   0.5, 0,   0, 0,
      0.5, 0,   0,   0, 0}},
    {"the same, turning the other way", {{0, 3}, {3, 0}, {0, 0}},
     {1,   1,   0.5, 0, 0,
      1,   0.5, 0,   0, 0,
      0.5, 0,   0,   0, 0}},
    {"beyond every side", {{-7.5, -2}, {12, -2}, {12, 9}, {-7.5, 9}},
     {1, 1, 1, 1, 1,  1, 1, 1, 1, 1,  1, 1, 1, 1, 1}},
    {"in from the left, out at the bottom", {{-10, 0.5}, {2.5, 0.5}, {2.5, 30}, {-10, 30}},
     {0.5, 0.5, 0.25, 0, 0,
      1,   1,   0.5,  0, 0,
      1,   1,   0.5,  0, 0}},
    {"a sliver across one row", {{0, 1.25}, {5, 1.25}, {5, 1.5}, {0, 1.5}},
     {0,    0,    0,    0,    0,
      0.25, 0.25, 0.25, 0.25, 0.25,
      0,    0,    0,    0,    0}},
    {"no area", {{0, 0}, {5, 3}, {2.5, 1.5}},
     {0, 0, 0, 0, 0,  0, 0, 0, 0, 0,  0, 0, 0, 0, 0}},
    {"wholly above the sheet", {{0, -4}, {5, -4}, {5, -1}},
     {0, 0, 0, 0, 0,  0, 0, 0, 0, 0,  0, 0, 0, 0, 0}},
  };
  // clang-format on
  for (const auto& c : cases) {
    Sheet sheet(5, 3);
    EXPECT_TRUE(ink_polygon(sheet.raster(), c.polygon)) << c.name;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_NEAR(sheet.ink(x, y), c.ink[static_cast<std::size_t>(y * 5 + x)], 0.5 / 255 + 1e-9)
            << c.name << " at " << x << "," << y;
  }
}

TEST(GreyFill, AgreesWithCountedCoverageOnArbitraryPolygons) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> coordinate(-4, 16);
  for (int round = 0; round < 40; ++round) {
    // Triangles, and from the fourth round on, concave outlines of up to seven corners
    // whose sides do not cross: a star of corners round a centre, in angle order.
    std::vector<RasterPoint> polygon;
    if (round % 4 == 0) {
      for (int i = 0; i < 3; ++i) polygon.push_back({coordinate(random), coordinate(random)});
    } else {
      const RasterPoint centre{coordinate(random) / 2 + 3, coordinate(random) / 2 + 3};
      const int corners = 3 + round % 5;
      for (int i = 0; i < corners; ++i) {
        const double angle =
            2 * M_PI * (i + 0.8 * std::uniform_real_distribution<>(0, 1)(random)) / corners;
        const double reach = std::uniform_real_distribution<>(1, 9)(random);
        polygon.push_back({centre.x + reach * std::cos(angle), centre.y + reach * std::sin(angle)});
      }
    }
    Sheet sheet(12, 10);
    ASSERT_TRUE(ink_polygon(sheet.raster(), polygon));
    const std::vector<double> counted = sampled(polygon, 12, 10);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x)
        // The count is within a few points of the 4096; rounding to a grey adds half of 1/255.
        EXPECT_NEAR(sheet.ink(x, y), counted[static_cast<std::size_t>(y * 12 + x)], 0.01)
            << "round " << round << " at " << x << "," << y;
  }
}

TEST(GreyFill, AShapeLargerThanWhatIsSummedAtOnceIsInkedWhole) {
  // Two million dots and more, summed a band of rows at a time: the long side's dots are
  // half covered, those below it whole, in every band.
  constexpr int side = 2000;
  Sheet sheet(side, side);
  ASSERT_TRUE(ink_polygon(sheet.raster(), std::vector<RasterPoint>{{0, 0}, {side, 0}, {0, side}}));
  int wrong = 0;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const int expected = x + y < side - 1 ? 0 : x + y == side - 1 ? 127 : 255;
      wrong += std::abs(sheet.at(x, y) - expected) > 1;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(GreyFill, DarkensWhatIsAlreadyThere) {
  Sheet sheet(2, 1, 200);
  ink_polygon(sheet.raster(), std::vector<RasterPoint>{{0, 0}, {1.5, 0}, {1.5, 1}, {0, 1}});
  EXPECT_EQ(sheet.at(0, 0), 0);
  EXPECT_EQ(sheet.at(1, 0), 100);
  ink_polygon(sheet.raster(), std::vector<RasterPoint>{{1, 0}, {1.5, 0}, {1.5, 1}, {1, 1}});
  EXPECT_EQ(sheet.at(1, 0), 50);
}

TEST(GreyFill, CornersNoPageCanPlaceLeaveTheSheetAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const RasterPoint far : {RasterPoint{inf, 1}, RasterPoint{1, -inf}, RasterPoint{nan, 1},
                                RasterPoint{1, 2e9}, RasterPoint{-1e300, 1}}) {
    Sheet sheet(4, 4);
    EXPECT_FALSE(ink_polygon(sheet.raster(), std::vector<RasterPoint>{{0, 0}, far, {3, 3}}))
        << far.x << "," << far.y;
    EXPECT_EQ(sheet.dots, Sheet(4, 4).dots);
  }
  // A side whose height is too small for its slope to be a number adds nothing.
  {
    Sheet sheet(4, 4);
    EXPECT_TRUE(ink_polygon(sheet.raster(), std::vector<RasterPoint>{{0, 0}, {4, 1e-310}, {4, 2}}));
    EXPECT_NEAR(sheet.ink(1, 0), 0.75, 0.5 / 255);  // over the side from (0, 0) to (4, 2)
    EXPECT_DOUBLE_EQ(sheet.ink(1, 1), 0);
  }
  // Far but placeable: a side from far off still cuts the sheet where it should.
  Sheet sheet(4, 4);
  EXPECT_TRUE(
      ink_polygon(sheet.raster(), std::vector<RasterPoint>{{-1e9, 0}, {2, 0}, {2, 4}, {-1e9, 4}}));
  EXPECT_DOUBLE_EQ(sheet.ink(1, 2), 1);
  EXPECT_DOUBLE_EQ(sheet.ink(2, 2), 0);
}

}  // namespace
}  // namespace veltrane
