#include "print/ellipse_arcs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace veltrane {
namespace {

constexpr double pi = std::numbers::pi;
constexpr double two_pi = 2 * std::numbers::pi;

// A cubic with tangent lengths 4/3 tan(d/4) through both ends of a unit-circle arc of angle
// d strays at most this coefficient times d^6 from the circle (for d up to pi/2; the
// largest ratio is at pi/2). An ellipse is an affine image of the circle, so its error is
// at most this times its larger semi-axis.
constexpr double error_per_sixth_power = 1.82e-5;

// Counter-clockwise turn from `from` to `to`, in [0, 2pi].
double turn(double from, double to) {
  double sweep = std::fmod(to - from, two_pi);
  if (sweep < 0) sweep += two_pi;
  return sweep;
}

// The parameter of the point where the ray at `angle` meets the ellipse, in [-pi, pi]. On a
// circle it is the angle itself.
double parameter_of_ray(const EllipseShape& e, double angle) {
  if (e.a == e.b) return std::remainder(angle, two_pi);
  return std::atan2(e.a * std::sin(angle), e.b * std::cos(angle));
}

int pieces_for(const EllipseShape& e, double sweep, double tolerance_dots) {
  const double radius = std::max(std::fabs(e.a), std::fabs(e.b));
  double longest = pi / 2;
  if (radius > 0)
    longest =
        std::min(longest, std::pow(tolerance_dots / (radius * error_per_sixth_power), 1.0 / 6));
  return std::max(1, static_cast<int>(std::ceil(sweep / longest)));
}

}  // namespace

PathPoint EllipseShape::at(double t) const {
  return {cx + a * std::cos(t), cy - b * std::sin(t)};
}

PathPoint EllipseShape::velocity(double t) const {
  return {-a * std::sin(t), -b * std::cos(t)};
}

EllipseShape inscribed_ellipse(PathPoint p, PathPoint q) {
  return {(p.x + q.x) / 2, (p.y + q.y) / 2, std::fabs(q.x - p.x) / 2, std::fabs(q.y - p.y) / 2};
}

// Scaling the axes keeps the order of rays around the centre and keeps opposite rays
// opposite, so the parameter turn lies on the same side of pi as the ray turn; that
// corrects a rounding that would wrap a sliver into almost a whole ellipse or back.
ParameterRange ray_range(const EllipseShape& e, double start_rad, double end_rad) {
  const double ray_sweep = turn(start_rad, end_rad);
  const double start = parameter_of_ray(e, start_rad);
  if (ray_sweep == 0 || ray_sweep == two_pi) return {start, two_pi};
  if (ray_sweep == pi) return {start, pi};
  double sweep = turn(start, parameter_of_ray(e, end_rad));
  if (ray_sweep < pi && sweep > pi) sweep = 0;
  if (ray_sweep > pi && sweep < pi) sweep = two_pi;
  return {start, sweep};
}

std::vector<PathSegment> arc_segments(const EllipseShape& e, ParameterRange range,
                                      double tolerance_dots) {
  std::vector<PathSegment> segments;
  if (!(range.sweep >= 0 && range.sweep <= two_pi) || !std::isfinite(range.start)) return segments;
  const int pieces = pieces_for(e, range.sweep, tolerance_dots);
  const double step = range.sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    const double t0 = range.start + step * i;
    const double t1 = range.start + step * (i + 1);
    const PathPoint p0 = e.at(t0), v0 = e.velocity(t0), p1 = e.at(t1), v1 = e.velocity(t1);
    segments.push_back(
        {true, {p0.x + k * v0.x, p0.y + k * v0.y}, {p1.x - k * v1.x, p1.y - k * v1.y}, p1});
  }
  return segments;
}

}  // namespace veltrane
