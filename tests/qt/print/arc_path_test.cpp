#include "backends/qt/arc_path.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPen>
#include <cmath>
#include <numbers>
#include <vector>

namespace veltrane {
namespace {

constexpr double pi = std::numbers::pi;

struct Curve {
  QPointF start;
  std::vector<QPointF> points;  // sampled along every cubic
  int cubics = 0;
};

QPointF bezier(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double t) {
  const double u = 1 - t;
  return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

// Samples the cubics of `path` after its first `skip` elements (a wedge's first radius).
Curve sample(const QPainterPath& path, int skip = 0) {
  Curve curve;
  curve.start = path.elementAt(skip);
  QPointF last = curve.start;
  for (int i = skip + 1; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.type != QPainterPath::CurveToElement) continue;
    const QPointF c1 = e, c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
    for (int k = 0; k <= 64; ++k) curve.points.push_back(bezier(last, c1, c2, end, k / 64.0));
    last = end;
    ++curve.cubics;
    i += 2;
  }
  return curve;
}

// Distance of p from the ellipse with semi-axes a, b around c, to first order: the
// deviation of the normalised radius times the local scale, bounded by the larger axis.
double stray(QPointF p, QPointF c, double a, double b) {
  const double x = (p.x() - c.x()) / a, y = (p.y() - c.y()) / b;
  return std::fabs(std::hypot(x, y) - 1) * std::max(a, b);
}

double ray_angle(QPointF p, QPointF c) {
  return std::atan2(-(p.y() - c.y()), p.x() - c.x());
}

double angle_gap(double a, double b) {
  return std::fabs(std::remainder(a - b, 2 * pi));
}

TEST(ArcPath, ArcsStayWithinATenthOfADotOfTheCircle) {
  // clang-format off
  const struct { double radius, start, end; } cases[] = {
      {10,      0,            2 * pi / 3},
      {85,      0,            pi / 216},      // a strobe bar at 600 dpi
      {2067,    0,            pi / 133},
      {4331,    177 * pi / 180, 270 * pi / 180},  // stylus arc at 1200 dpi
      {10690,   177 * pi / 180, 270 * pi / 180},  // 226 mm at 1200 dpi
      {7087,    0,            0},             // coinciding rays: the whole circle
      {50000,   -1,           5},
      {1 << 29, 3,            2},             // nearly a whole turn
  };
  // clang-format on
  for (const auto& c : cases) {
    const QPointF centre(1000.5, -300.5);
    const QRectF box(centre - QPointF(c.radius, c.radius), centre + QPointF(c.radius, c.radius));
    const Curve curve = sample(arc_path(box, c.start, c.end));
    double worst = 0;
    for (const QPointF& p : curve.points)
      worst = std::max(worst, stray(p, centre, c.radius, c.radius));
    EXPECT_LE(worst, arc_tolerance_dots) << "radius " << c.radius;
    EXPECT_LE(curve.cubics, 64) << "radius " << c.radius;
    EXPECT_LT(angle_gap(ray_angle(curve.start, centre), c.start), 1e-9) << c.radius;
    EXPECT_LT(angle_gap(ray_angle(curve.points.back(), centre), c.end), 1e-9) << c.radius;
  }
}

TEST(ArcPath, EllipseArcsEndWhereTheRaysMeetTheEllipse) {
  // A 2:1 ellipse: the ray at 45 degrees meets it at x = y = 1/sqrt(1/a^2 + 1/b^2).
  const QRectF box(QPointF(0, 100), QPointF(400, 300));
  const QPointF centre(200, 200);
  const Curve curve = sample(arc_path(box, 0, pi / 4));
  const double meet = 1 / std::sqrt(1.0 / (200 * 200) + 1.0 / (100 * 100));
  EXPECT_NEAR(curve.start.x(), 400, 1e-9);
  EXPECT_NEAR(curve.start.y(), 200, 1e-9);
  EXPECT_NEAR(curve.points.back().x(), 200 + meet, 1e-9);
  EXPECT_NEAR(curve.points.back().y(), 200 - meet, 1e-9);
  for (const QPointF& p : curve.points) {
    EXPECT_LE(stray(p, centre, 200, 100), arc_tolerance_dots);
    EXPECT_LE(p.y(), 200 + 1e-9) << "runs clockwise, below the centre";
  }
}

TEST(ArcPath, SlimAndWideTurnsKeepTheirSideOfHalfATurn) {
  // clang-format off
  const struct { double start, end, sweep; } cases[] = {
      {0,               1e-6f,          1e-6},
      {1.3f,            1.3f + 1e-6f,   1e-6},
      {1,               1 - 1e-6f,      2 * pi - 1e-6},
      {-pi / 2,         pi / 2,         pi},
      {2 * pi - 0.1,    0.1,            0.2},
  };
  // clang-format on
  const QRectF box(QPointF(0, 0), QPointF(3000, 1000));  // an ellipse: the parameter differs
  for (const auto& c : cases) {
    const Curve curve = sample(arc_path(box, c.start, c.end));
    double turned = 0;
    const QPointF centre = box.center();
    for (std::size_t i = 1; i < curve.points.size(); ++i)
      turned += std::remainder(
          ray_angle(curve.points[i], centre) - ray_angle(curve.points[i - 1], centre), 2 * pi);
    EXPECT_NEAR(turned, c.sweep, 1e-5) << c.start << " to " << c.end;
  }
}

TEST(ArcPath, EllipsesAndWedgesAreClosedAndAccurate) {
  const QRectF box(QPointF(5000, 200), QPointF(-3000, 9000));  // corners in any order
  const QPointF centre(1000, 4600);
  const Curve ellipse = sample(ellipse_path(box));
  double worst = 0;
  for (const QPointF& p : ellipse.points) worst = std::max(worst, stray(p, centre, 4000, 4400));
  EXPECT_LE(worst, arc_tolerance_dots);
  EXPECT_NEAR(QLineF(ellipse.points.back(), ellipse.start).length(), 0, 1e-6);

  const QPainterPath wedge = pie_path(box, pi / 2, pi);
  EXPECT_EQ(QPointF(wedge.elementAt(0)), centre);
  const Curve rim = sample(wedge, 1);
  EXPECT_NEAR(rim.start.x(), 1000, 1e-6);
  EXPECT_NEAR(rim.start.y(), 200, 1e-6);
  EXPECT_NEAR(rim.points.back().x(), -3000, 1e-6);
  EXPECT_NEAR(rim.points.back().y(), 4600, 1e-6);
}

TEST(ArcPath, DegenerateBoxesGiveFinitePaths) {
  for (const QRectF& box : {QRectF(10, 10, 0, 0), QRectF(10, 10, 500, 0), QRectF(10, 10, 0, 500)}) {
    for (const QPainterPath& path :
         {ellipse_path(box), arc_path(box, 0.5, 2), pie_path(box, 3, 1)}) {
      for (int i = 0; i < path.elementCount(); ++i) {
        EXPECT_TRUE(std::isfinite(path.elementAt(i).x));
        EXPECT_TRUE(std::isfinite(path.elementAt(i).y));
      }
    }
  }
}

// The inked wedge filled must look as the wedge filled and outlined with a round-jointed
// pen of two dots or more (thinner pens are drawn as hairlines): the same dots, but for
// antialiased shades on the edges and a few dots at the corners.
TEST(ArcPath, AnInkedWedgeIsTheWedgeWithItsOutline) {
  // clang-format off
  const struct { QRectF box; double start, end, from, pen; } cases[] = {
    {{20, 20, 360, 360}, 0.3,   0.45,  0,   3},   // whole, thin
    {{20, 20, 360, 360}, 1.2,   1.23,  0.6, 3},   // tip cut, a few dots wide
    {{20, 20, 360, 360}, 2.0,   3.2,   0,   2},   // wide
    {{20, 40, 360, 330}, 4.0,   4.3,   0.3, 15},  // on an ellipse, a broad pen
    {{20, 20, 360, 360}, 6.2,   0.1,   0.5, 3},   // across three o'clock
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto draw = [&](bool inked) {
      QImage image(380, 380, QImage::Format_Grayscale8);
      image.fill(Qt::white);
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      if (inked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPath(inked_wedge(c.box, c.start, c.end, c.from, c.pen));
      } else {
        painter.setPen(QPen(Qt::black, c.pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::black);
        painter.drawPath(c.from > 0 ? wedge_without_tip(c.box, c.start, c.end, c.from)
                                    : pie_path(c.box, c.start, c.end));
      }
      return image;
    };
    const QImage inked = draw(true), outlined = draw(false);
    // A cut tip is cut straight across: it is drawn only where something covers it.
    const double hidden =
        c.from > 0 ? c.from * std::max(c.box.width(), c.box.height()) / 2 + c.pen + 2 : 0;
    int differing = 0, inked_dots = 0, largest = 0;
    for (int y = 0; y < inked.height(); ++y)
      for (int x = 0; x < inked.width(); ++x) {
        if (std::hypot(x + 0.5 - c.box.center().x(), y + 0.5 - c.box.center().y()) < hidden)
          continue;
        const int d = std::abs(qGray(inked.pixel(x, y)) - qGray(outlined.pixel(x, y)));
        differing += d > 16;
        inked_dots += qGray(outlined.pixel(x, y)) < 128;
        largest = std::max(largest, d);
      }
    EXPECT_GT(inked_dots, 50) << c.start;
    EXPECT_LE(differing, 10) << c.start;  // a few dots at corners
    EXPECT_LE(largest, 128) << c.start;
  }
}

TEST(ArcPath, FlattenedCurvesStayWithinTheirTolerance) {
  // clang-format off
  const struct { const char* name; QPainterPath path; QPointF centre; double radius; } cases[] = {
    {"large circle", ellipse_path(QRectF(0, 0, 8000, 8000)), {4000, 4000}, 4000},
    {"small circle", ellipse_path(QRectF(10, 10, 3, 3)), {11.5, 11.5}, 1.5},
  };
  // clang-format on
  for (const auto& c : cases)
    for (const double tolerance : {0.02, 0.5}) {
      const std::vector<QPointF> corners = flattened(c.path, tolerance);
      ASSERT_GE(corners.size(), 4u) << c.name;
      EXPECT_NE(corners.back(), corners.front()) << c.name << ": the closing corner is left out";
      double worst = 0;
      for (std::size_t i = 0; i < corners.size(); ++i) {
        const QPointF a = corners[i], b = corners[(i + 1) % corners.size()];
        for (const double t : {0.0, 0.5}) {  // a corner, and a side's middle
          const QPointF p = a + t * (b - a);
          worst = std::max(
              worst, std::fabs(std::hypot(p.x() - c.centre.x(), p.y() - c.centre.y()) - c.radius));
        }
      }
      EXPECT_LE(worst, tolerance + arc_tolerance_dots) << c.name << " " << tolerance;
      // Not more sides than the tolerance asks for: a side of the large circle spans at
      // least a few dozen dots at the coarse tolerance.
      if (tolerance == 0.5 && c.radius > 100) {
        EXPECT_LT(corners.size(), 800u) << c.name;
      }
    }
}

}  // namespace
}  // namespace veltrane
