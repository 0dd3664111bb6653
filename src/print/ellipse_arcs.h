#pragma once

#include <vector>

namespace veltrane {

/// A point on the page in device dots, y downward.
struct PathPoint {
  double x = 0;
  double y = 0;
};

/// A line (`curve` false: only `to` counts) or a cubic Bézier from the previous point.
struct PathSegment {
  bool curve = false;
  PathPoint c1, c2, to;
};

/// An axis-aligned ellipse by its centre and semi-axes; parameter t at (cos t, -sin t).
struct EllipseShape {
  double cx = 0, cy = 0, a = 0, b = 0;

  PathPoint at(double t) const;
  PathPoint velocity(double t) const;  ///< d at / dt
};

/// The ellipse inscribed in the box with corners `p` and `q` (in any order).
EllipseShape inscribed_ellipse(PathPoint p, PathPoint q);

/// A stretch of an ellipse's parameter, counter-clockwise on the page.
struct ParameterRange {
  double start = 0;
  double sweep = 0;
};

/// The parameters from where the ray at `start_rad` meets the ellipse to where the ray at
/// `end_rad` does, counter-clockwise on a page whose y grows downward (the ray at angle a
/// points along (cos a, -sin a)); rays that coincide give the whole ellipse.
ParameterRange ray_range(const EllipseShape& e, double start_rad, double end_rad);

/// Cubic Béziers along `range` of `e`, from e.at(range.start) on, that stray at most
/// `tolerance_dots` from it.
std::vector<PathSegment> arc_segments(const EllipseShape& e, ParameterRange range,
                                      double tolerance_dots);

}  // namespace veltrane
