#include "backends/qt/arc_path.h"

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

struct Ellipse {
  double cx = 0, cy = 0, a = 0, b = 0;

  QPointF at(double t) const { return {cx + a * std::cos(t), cy - b * std::sin(t)}; }
  QPointF velocity(double t) const { return {-a * std::sin(t), -b * std::cos(t)}; }
};

Ellipse inscribed(const QRectF& box) {
  const QRectF r = box.normalized();
  return {r.center().x(), r.center().y(), r.width() / 2, r.height() / 2};
}

// Counter-clockwise turn from `from` to `to`, in [0, 2pi].
double turn(double from, double to) {
  double sweep = std::fmod(to - from, two_pi);
  if (sweep < 0) sweep += two_pi;
  return sweep;
}

// The ellipse parameter of the point where the ray at `angle` meets the ellipse, in
// [-pi, pi]. On a circle it is the angle itself.
double parameter_of_ray(const Ellipse& e, double angle) {
  if (e.a == e.b) return std::remainder(angle, two_pi);
  return std::atan2(e.a * std::sin(angle), e.b * std::cos(angle));
}

struct ParameterRange {
  double start = 0;
  double sweep = 0;
};

// Scaling the axes keeps the order of rays around the centre and keeps opposite rays
// opposite, so the parameter turn lies on the same side of pi as the ray turn; that
// corrects a rounding that would wrap a sliver into almost a whole ellipse or back.
ParameterRange parameter_range(const Ellipse& e, double start_rad, double end_rad) {
  const double ray_sweep = turn(start_rad, end_rad);
  const double start = parameter_of_ray(e, start_rad);
  if (ray_sweep == 0 || ray_sweep == two_pi) return {start, two_pi};
  if (ray_sweep == pi) return {start, pi};
  double sweep = turn(start, parameter_of_ray(e, end_rad));
  if (ray_sweep < pi && sweep > pi) sweep = 0;
  if (ray_sweep > pi && sweep < pi) sweep = two_pi;
  return {start, sweep};
}

int pieces_for(const Ellipse& e, double sweep) {
  const double radius = std::max(std::fabs(e.a), std::fabs(e.b));
  double longest = pi / 2;
  if (radius > 0)
    longest =
        std::min(longest, std::pow(arc_tolerance_dots / (radius * error_per_sixth_power), 1.0 / 6));
  return std::max(1, static_cast<int>(std::ceil(sweep / longest)));
}

void append_arc(QPainterPath& path, const Ellipse& e, ParameterRange range) {
  const int pieces = pieces_for(e, range.sweep);
  const double step = range.sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    const double t0 = range.start + step * i;
    const double t1 = range.start + step * (i + 1);
    path.cubicTo(e.at(t0) + k * e.velocity(t0), e.at(t1) - k * e.velocity(t1), e.at(t1));
  }
}

}  // namespace

QPainterPath ellipse_path(const QRectF& box) {
  const Ellipse e = inscribed(box);
  QPainterPath path(e.at(0));
  append_arc(path, e, {0, two_pi});
  path.closeSubpath();
  return path;
}

QPainterPath arc_path(const QRectF& box, double start_rad, double end_rad) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = parameter_range(e, start_rad, end_rad);
  QPainterPath path(e.at(range.start));
  append_arc(path, e, range);
  return path;
}

QPainterPath pie_path(const QRectF& box, double start_rad, double end_rad) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = parameter_range(e, start_rad, end_rad);
  QPainterPath path(QPointF(e.cx, e.cy));
  path.lineTo(e.at(range.start));
  append_arc(path, e, range);
  path.closeSubpath();
  return path;
}

QPainterPath wedge_without_tip(const QRectF& box, double start_rad, double end_rad, double from) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = parameter_range(e, start_rad, end_rad);
  const QPointF centre(e.cx, e.cy);
  const QPointF first = e.at(range.start);
  QPainterPath path(centre + from * (first - centre));
  path.lineTo(first);
  append_arc(path, e, range);
  path.lineTo(centre + from * (path.currentPosition() - centre));
  path.closeSubpath();
  return path;
}

namespace {

// Turns the path round `corner` on a circle of `radius`, from the point in direction
// `from` to the point in direction `to` (unit vectors), the short way.
void round_corner(QPainterPath& path, QPointF corner, double radius, QPointF from, QPointF to) {
  const double start = std::atan2(-from.y(), from.x());
  const double sweep = std::remainder(std::atan2(-to.y(), to.x()) - start, two_pi);
  path.arcTo(QRectF(corner - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)),
             start * 180 / pi, sweep * 180 / pi);
}

QPointF unit_normal(QPointF from, QPointF to, double side) {
  const QPointF d = to - from;
  const double length = std::hypot(d.x(), d.y());
  return length > 0 ? QPointF(d.y(), -d.x()) * (side / length) : QPointF();
}

}  // namespace

QPainterPath inked_wedge(const QRectF& box, double start_rad, double end_rad, double from,
                         double pen_width) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = parameter_range(e, start_rad, end_rad);
  const double r = pen_width / 2;
  const QPointF centre(e.cx, e.cy);
  const double end = range.start + range.sweep;
  const QPointF b = e.at(range.start), c = e.at(end);
  const QPointF a = centre + from * (b - centre), d = centre + from * (c - centre);
  // Which side of the edges is outside: the arc runs counter-clockwise on the page, which
  // is clockwise in the page's coordinates, whose y grows downward.
  const double outside = -1;
  const QPointF n_ab = unit_normal(a, b, outside), n_cd = unit_normal(c, d, outside);
  const QPointF out_b(std::cos(range.start), -std::sin(range.start));
  const QPointF out_c(std::cos(end), -std::sin(end));
  const Ellipse grown{e.cx, e.cy, e.a + r, e.b + r};
  QPainterPath path(a + r * n_ab);
  round_corner(path, b, r, n_ab, out_b);
  append_arc(path, grown, range);
  round_corner(path, c, r, out_c, n_cd);
  if (a == d) {
    round_corner(path, a, r, n_cd, n_ab);
  } else {
    path.lineTo(d + r * n_cd);  // a cut tip is hidden: its corners need no rounding
  }
  path.closeSubpath();
  return path;
}

std::vector<QPointF> flattened(const QPainterPath& path, double tolerance) {
  std::vector<QPointF> corners;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.type != QPainterPath::CurveToElement || corners.empty() || i + 2 >= path.elementCount()) {
      corners.emplace_back(e.x, e.y);
      continue;
    }
    const QPointF p0 = corners.back(), p1 = e, p2 = path.elementAt(i + 1),
                  p3 = path.elementAt(i + 2);
    i += 2;
    // n equal steps stray at most 3/4 of the larger second difference over n squared.
    const QPointF d1 = p0 - 2 * p1 + p2, d2 = p1 - 2 * p2 + p3;
    const double bend = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
    const double steps = std::ceil(std::sqrt(0.75 * bend / tolerance));
    const int n = steps >= 1 && steps <= 1024 ? static_cast<int>(steps) : steps > 1024 ? 1024 : 1;
    for (int k = 1; k <= n; ++k) {
      const double t = static_cast<double>(k) / n, u = 1 - t;
      corners.push_back(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3);
    }
  }
  // A closing line back to the start adds no corner.
  if (corners.size() > 1 && corners.back() == corners.front()) corners.pop_back();
  return corners;
}

std::pair<QPointF, QPointF> wedge_corners(const QRectF& box, double start_rad, double end_rad) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = parameter_range(e, start_rad, end_rad);
  return {e.at(range.start), e.at(range.start + range.sweep)};
}

}  // namespace veltrane
