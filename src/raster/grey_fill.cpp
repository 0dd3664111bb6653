#include "raster/grey_fill.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// Coverage by signed area, as font rasterisers compute it: every edge piece adds, in the
// dots of its row it passes through, the area between it and the dots' right sides, and
// the rest of its height to the next dot; a running sum along the row then gives each
// dot's covered share. Unlike a painter's rasteriser, which walks all edges of a shape
// for every band of rows, the work here is the dots the edges pass through plus the dots
// inside, so a long thin wedge costs its length, not the square of it.

namespace veltrane {
namespace {

// The part of one edge within one row of dots: how far left and right it reaches, and its
// height there, negative where the edge runs upward.
struct Piece {
  int row = 0;
  double left = 0;
  double right = 0;
  double height = 0;
};

// Far enough for any page, near enough that no sum of coordinates overflows.
constexpr double farthest_corner = 1 << 30;

// How many dots' sums are kept at once: 8 MB.
constexpr std::size_t most_cells_at_once = std::size_t{1} << 20;

struct RowSpan {
  int first = std::numeric_limits<int>::max();  // leftmost dot an edge touches
  int end = std::numeric_limits<int>::min();    // one past the dot the last area goes to
  std::size_t offset = 0;                       // of the row's first dot in the sums
};

// Adds the pieces of the edge from a to b, whose x lie in [0, width], in the rows from 0
// to `height`.
void cut_into_rows(RasterPoint a, RasterPoint b, int height, std::vector<Piece>& pieces) {
  if (a.y == b.y) return;  // a level edge adds no height
  const double direction = b.y > a.y ? 1 : -1;
  const RasterPoint top = b.y > a.y ? a : b;
  const RasterPoint bottom = b.y > a.y ? b : a;
  const double slope = (bottom.x - top.x) / (bottom.y - top.y);
  if (!std::isfinite(slope)) return;  // a height of under 1e-300 dot adds nothing either
  // x is clamped to the edge's own, since rounding must not take it past the raster's side
  // the edge was cut at.
  const double low_x = std::min(top.x, bottom.x), high_x = std::max(top.x, bottom.x);
  const double first_row = std::max(std::floor(top.y), 0.0);
  const double end_row = std::min(std::ceil(bottom.y), static_cast<double>(height));
  for (double row = first_row; row < end_row; ++row) {
    const double y_in = std::max(top.y, row);
    const double y_out = std::min(bottom.y, row + 1);
    const double x_in = std::clamp(top.x + (y_in - top.y) * slope, low_x, high_x);
    const double x_out = std::clamp(top.x + (y_out - top.y) * slope, low_x, high_x);
    pieces.push_back({static_cast<int>(row), std::min(x_in, x_out), std::max(x_in, x_out),
                      direction * (y_out - y_in)});
  }
}

// Cuts the edge from a to b at the raster's left and right sides and lays the parts
// outside onto them: left of the raster an edge still covers the whole width of the rows
// it passes, right of it nothing that is drawn.
void add_edge(RasterPoint a, RasterPoint b, int width, int height, std::vector<Piece>& pieces) {
  const double right = width;
  // Where the edge crosses the sides, in order along it.
  double cuts[4] = {0, 1, 1, 1};
  int n = 1;
  if (a.x != b.x) {
    for (const double side : {0.0, right}) {
      const double t = (side - a.x) / (b.x - a.x);
      if (t > 0 && t < 1) cuts[n++] = t;
    }
  }
  if (n == 3 && cuts[2] < cuts[1]) std::swap(cuts[1], cuts[2]);
  cuts[n] = 1;
  const auto at = [&](double t) {
    const RasterPoint p = t == 0   ? a
                          : t == 1 ? b
                                   : RasterPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
    return RasterPoint{std::clamp(p.x, 0.0, right), p.y};
  };
  for (int i = 0; i < n; ++i) cut_into_rows(at(cuts[i]), at(cuts[i + 1]), height, pieces);
}

// Adds a piece's area to the dots it passes, each from its left side, and the remainder
// of its height to the dot after it.
void accumulate(const Piece& piece, double* sums, int first_dot) {
  const double left = piece.left, right = piece.right;
  const auto add = [&](int dot, double from, double to, double height) {
    const double middle = (from + to) / 2 - dot;
    sums[dot - first_dot] += height * (1 - middle);
    sums[dot + 1 - first_dot] += height * middle;
  };
  const int first = static_cast<int>(std::floor(left));
  const int last = static_cast<int>(std::floor(right));
  if (first == last) {
    add(first, left, right, piece.height);
    return;
  }
  const double height_per_x = piece.height / (right - left);
  for (int dot = first; dot <= last; ++dot) {
    const double from = std::max(left, static_cast<double>(dot));
    const double to = std::min(right, dot + 1.0);
    add(dot, from, to, height_per_x * (to - from));
  }
}

// Black over `grey` at coverage `share` (0 to 255), rounded as the painter blends.
unsigned char darken(unsigned char grey, int share) {
  const int x = grey * (255 - share);
  return static_cast<unsigned char>((x + (x >> 8) + 0x80) >> 8);
}

}  // namespace

bool ink_polygon(const GreyRaster& raster, std::span<const RasterPoint> corners) {
  for (const RasterPoint& p : corners)
    if (!(std::fabs(p.x) <= farthest_corner && std::fabs(p.y) <= farthest_corner)) return false;
  if (corners.size() < 3 || raster.width <= 0 || raster.height <= 0) return true;

  thread_local std::vector<Piece> pieces;
  thread_local std::vector<RowSpan> rows;
  thread_local std::vector<double> sums;
  pieces.clear();
  for (std::size_t i = 0; i < corners.size(); ++i)
    add_edge(corners[i], corners[(i + 1) % corners.size()], raster.width, raster.height, pieces);
  if (pieces.empty()) return true;

  int first_row = raster.height, end_row = 0;
  for (const Piece& piece : pieces) {
    first_row = std::min(first_row, piece.row);
    end_row = std::max(end_row, piece.row + 1);
  }
  rows.assign(static_cast<std::size_t>(end_row - first_row), RowSpan{});
  for (const Piece& piece : pieces) {
    RowSpan& span = rows[static_cast<std::size_t>(piece.row - first_row)];
    span.first = std::min(span.first, static_cast<int>(std::floor(piece.left)));
    span.end = std::max(span.end, static_cast<int>(std::floor(piece.right)) + 2);
  }
  // Rows are summed a band at a time, so that a shape as large as the page needs no more
  // memory than a few rows of it.
  for (std::size_t band_first = 0; band_first < rows.size();) {
    std::size_t band_end = band_first, total = 0;
    for (; band_end < rows.size(); ++band_end) {
      RowSpan& span = rows[band_end];
      const std::size_t cells =
          span.end > span.first ? static_cast<std::size_t>(span.end - span.first) : 0;
      if (band_end > band_first && total + cells > most_cells_at_once) break;
      span.offset = total;
      total += cells;
    }
    sums.assign(total, 0.0);
    const int band_top = first_row + static_cast<int>(band_first);
    const int band_bottom = first_row + static_cast<int>(band_end);
    for (const Piece& piece : pieces) {
      if (piece.row < band_top || piece.row >= band_bottom) continue;
      const RowSpan& span = rows[static_cast<std::size_t>(piece.row - first_row)];
      accumulate(piece, sums.data() + span.offset, span.first);
    }
    for (std::size_t i = band_first; i < band_end; ++i) {
      const RowSpan& span = rows[i];
      if (span.end <= span.first) continue;
      unsigned char* line =
          raster.bits + (first_row + static_cast<std::ptrdiff_t>(i)) * raster.stride;
      const int end = std::min(span.end, raster.width);
      double covered = 0;
      for (int dot = span.first; dot < end; ++dot) {
        covered += sums[span.offset + static_cast<std::size_t>(dot - span.first)];
        const auto share = static_cast<int>(std::lrint(std::min(std::fabs(covered), 1.0) * 255));
        if (share > 0) line[dot] = darken(line[dot], share);
      }
    }
    band_first = band_end;
  }
  return true;
}

}  // namespace veltrane
