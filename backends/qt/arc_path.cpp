#include "backends/qt/arc_path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "print/ellipse_arcs.h"

namespace veltrane {
namespace {

constexpr double pi = std::numbers::pi;
constexpr double two_pi = 2 * std::numbers::pi;

using Ellipse = EllipseShape;

QPointF point(PathPoint p) {
  return {p.x, p.y};
}

Ellipse inscribed(const QRectF& box) {
  const QRectF r = box.normalized();
  return inscribed_ellipse({r.left(), r.top()}, {r.right(), r.bottom()});
}

void append_arc(QPainterPath& path, const Ellipse& e, ParameterRange range) {
  for (const PathSegment& s : arc_segments(e, range, arc_tolerance_dots))
    path.cubicTo(point(s.c1), point(s.c2), point(s.to));
}

}  // namespace

QPainterPath ellipse_path(const QRectF& box) {
  const Ellipse e = inscribed(box);
  QPainterPath path(point(e.at(0)));
  append_arc(path, e, {0, two_pi});
  path.closeSubpath();
  return path;
}

QPainterPath arc_path(const QRectF& box, double start_rad, double end_rad) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  QPainterPath path(point(e.at(range.start)));
  append_arc(path, e, range);
  return path;
}

QPainterPath pie_path(const QRectF& box, double start_rad, double end_rad) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  QPainterPath path(QPointF(e.cx, e.cy));
  path.lineTo(point(e.at(range.start)));
  append_arc(path, e, range);
  path.closeSubpath();
  return path;
}

QPainterPath wedge_without_tip(const QRectF& box, double start_rad, double end_rad, double from) {
  const Ellipse e = inscribed(box);
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  const QPointF centre(e.cx, e.cy);
  const QPointF first = point(e.at(range.start));
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
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  const double r = pen_width / 2;
  const QPointF centre(e.cx, e.cy);
  const double end = range.start + range.sweep;
  const QPointF b = point(e.at(range.start)), c = point(e.at(end));
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
  const ParameterRange range = ray_range(e, start_rad, end_rad);
  return {point(e.at(range.start)), point(e.at(range.start + range.sweep))};
}

}  // namespace veltrane
