#include "model/geometry.h"

#include <cmath>
#include <numbers>

namespace veltrane {

double alignment_sqrt(double x) {
  return x < 0 ? x : std::sqrt(x);
}

namespace {

// The published four-decimal coefficients, kept in single precision as the values were
// always stored; the exact 2*sqrt(2) - 2 and 3 - 2*sqrt(2) would shift results in the
// last printed digit.
constexpr float stevenson_inner = 0.8284f;
constexpr float stevenson_outer = 0.1716f;

void lofgren_a(ParameterSet& s) {
  const double ri = s.inner_groove_radius;
  const double ro = s.outer_groove_radius;
  const double d = s.pivot_to_spindle;
  const double k = 1 / alignment_sqrt(2);
  s.inner_null_radius = 2 * ri * ro / (ri * (1 - k) + ro * (1 + k));
  s.outer_null_radius = 2 * ri * ro / (ri * (1 + k) + ro * (1 - k));
  const double p = 8 * ri * ro * ri * ro / ((ro + ri) * (ro + ri) + 4 * ri * ro);
  s.effective_length = alignment_sqrt(p + d * d);
  s.overhang = s.effective_length - d;
}

void lofgren_b(ParameterSet& s) {
  const double ri = s.inner_groove_radius;
  const double ro = s.outer_groove_radius;
  const double d = s.pivot_to_spindle;
  const double m = ro * ri * (ro + ri) / (0.25 * (ro + ri) * (ro + ri) + ro * ri);
  s.null_radius_mean = m;
  double p = 3 * ri * ro * ((ro + ri) * m - ro * ri) / ((ro + ri) * (ro + ri) - ro * ri);
  s.effective_length = alignment_sqrt(p + d * d);
  s.overhang = s.effective_length - d;
  p = 3 * ri * ro * ((ro + ri) * m - ro * ri) / (ri * ri + ro * ri + ro * ro);
  s.inner_null_radius = m - alignment_sqrt(m * m - p);
  s.outer_null_radius = alignment_sqrt(m * m - p) + m;
}

void stevenson_a(ParameterSet& s) {
  const double ri = s.inner_groove_radius;
  const double ro = s.outer_groove_radius;
  const double d = s.pivot_to_spindle;
  const double n1 = ri;
  s.inner_null_radius = n1;
  const double p = n1 * n1 * ro / (double{stevenson_inner} * n1 + double{stevenson_outer} * ro);
  s.outer_null_radius = p / n1;
  s.effective_length = alignment_sqrt(p + d * d);
  s.overhang = s.effective_length - d;
}

}  // namespace

void compute_alignment(ParameterSet& set) {
  switch (set.alignment) {
    case alignment_lofgren_a:
      lofgren_a(set);
      break;
    case alignment_lofgren_b:
      lofgren_b(set);
      break;
    case alignment_stevenson_a:
      stevenson_a(set);
      break;
    default:
      break;
  }
  const double d = set.pivot_to_spindle;
  const double n1 = set.inner_null_radius;
  const double length = set.overhang + d;
  const double s = (length * length + n1 * n1 - d * d) / (2 * length * n1);
  const double a = std::numbers::pi / 2 - std::atan(s / alignment_sqrt(1 - s * s));
  set.offset_angle = 90 - degrees_per_radian * a;
}

PointMm intersect_circles(double r1, double r2, double distance, double x1, double y1, double x2,
                          double y2) {
  const double a = (r1 * r1 - r2 * r2 + distance * distance) / (2 * distance);
  const double h = alignment_sqrt(r1 * r1 - a * a);
  const double xm = x1 + a * (x2 - x1) / distance;
  const double ym = y1 + a * (y2 - y1) / distance;
  return {xm - h * (y2 - y1) / distance, ym + h * (x2 - x1) / distance};
}

}  // namespace veltrane
