#include "model/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

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

// Each alignment stores its null radii and returns P = N1 N2, formed from the groove radii in
// its own closed form; P does not depend on the pivot distance.

double lofgren_a(ParameterSet& s) {
  const double ri = s.inner_groove_radius;
  const double ro = s.outer_groove_radius;
  const double k = 1 / alignment_sqrt(2);
  s.inner_null_radius = 2 * ri * ro / (ri * (1 - k) + ro * (1 + k));
  s.outer_null_radius = 2 * ri * ro / (ri * (1 + k) + ro * (1 - k));
  return 8 * ri * ro * ri * ro / ((ro + ri) * (ro + ri) + 4 * ri * ro);
}

double lofgren_b(ParameterSet& s) {
  const double ri = s.inner_groove_radius;
  const double ro = s.outer_groove_radius;
  const double m = ro * ri * (ro + ri) / (0.25 * (ro + ri) * (ro + ri) + ro * ri);
  s.null_radius_mean = m;
  // The null radii take P with its denominator written Ri^2 + Ro Ri + Ro^2, the effective
  // length with (Ro + Ri)^2 - Ro Ri: the same value, formed as it always was.
  const double p = 3 * ri * ro * ((ro + ri) * m - ro * ri) / (ri * ri + ro * ri + ro * ro);
  s.inner_null_radius = m - alignment_sqrt(m * m - p);
  s.outer_null_radius = alignment_sqrt(m * m - p) + m;
  return 3 * ri * ro * ((ro + ri) * m - ro * ri) / ((ro + ri) * (ro + ri) - ro * ri);
}

double stevenson_a(ParameterSet& s) {
  const double ri = s.inner_groove_radius;
  const double ro = s.outer_groove_radius;
  const double n1 = ri;
  s.inner_null_radius = n1;
  const double p = n1 * n1 * ro / (double{stevenson_inner} * n1 + double{stevenson_outer} * ro);
  s.outer_null_radius = p / n1;
  return p;
}

double custom_null_radii(ParameterSet& s) {
  s.inner_null_radius = std::min(s.custom_null_radius_1, s.custom_null_radius_2);
  s.outer_null_radius = std::max(s.custom_null_radius_1, s.custom_null_radius_2);
  return s.inner_null_radius * s.outer_null_radius;
}

// Stores the null radii of the set's alignment and returns their product P; nullopt for an
// unknown code, which leaves the null radii as they were.
std::optional<double> null_radii(ParameterSet& set) {
  switch (set.alignment) {
    case alignment_lofgren_a:
      return lofgren_a(set);
    case alignment_lofgren_b:
      return lofgren_b(set);
    case alignment_stevenson_a:
      return stevenson_a(set);
    case alignment_custom_nulls:
      return custom_null_radii(set);
    default:
      return std::nullopt;
  }
}

}  // namespace

void compute_alignment(ParameterSet& set) {
  const double d = set.pivot_to_spindle;
  if (const std::optional<double> p = null_radii(set)) {
    set.effective_length = alignment_sqrt(*p + d * d);
    set.overhang = set.effective_length - d;
  }
  const double n1 = set.inner_null_radius;
  const double length = set.overhang + d;
  const double s = (length * length + n1 * n1 - d * d) / (2 * length * n1);
  const double a = std::numbers::pi / 2 - std::atan(s / alignment_sqrt(1 - s * s));
  set.offset_angle = 90 - degrees_per_radian * a;
}

ParameterSet with_computed_alignment(ParameterSet set) {
  compute_alignment(set);
  return set;
}

double null_radii_product(const ParameterSet& set) {
  ParameterSet computed = set;
  return null_radii(computed).value_or(std::numeric_limits<double>::quiet_NaN());
}

double pivot_for_effective_length(double length_mm, double null_product) {
  const double square = length_mm * length_mm;
  if (!(std::isfinite(null_product) && square > null_product && std::isfinite(square)))
    return std::numeric_limits<double>::quiet_NaN();
  return std::sqrt(square - null_product);
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
