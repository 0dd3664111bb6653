#include "model/continuum.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "model/geometry.h"

namespace veltrane {
namespace {

constexpr double no_value = std::numeric_limits<double>::quiet_NaN();
constexpr double radians_per_degree = std::numbers::pi / 180;

bool reaches(const ArmOnRecord& arm, double r) {
  const double sine = stylus_sine(arm.pivot_to_spindle_mm, arm.effective_length_mm, r);
  return sine >= -1 && sine <= 1;
}

// The first radius from `outside` towards `inside` that the arm reaches: the radii it reaches
// form one interval, so halving finds its end.
double reached_end(const ArmOnRecord& arm, double outside, double inside) {
  for (int i = 0; i < 2100; ++i) {
    const double middle = outside + (inside - outside) / 2;
    if (middle == outside || middle == inside) break;
    (reaches(arm, middle) ? inside : outside) = middle;
  }
  return inside;
}

// Tracking error in degrees as tracking_at forms it, and distortion in units of 100 v / omega.
double error_deg(const ArmOnRecord& arm, double r) {
  const double sine = stylus_sine(arm.pivot_to_spindle_mm, arm.effective_length_mm, r);
  if (!(sine >= -1 && sine <= 1)) return no_value;
  return arm.offset_angle_deg - std::asin(sine) * degrees_per_radian;
}

double unit_distortion(const ArmOnRecord& arm, double r) {
  return std::tan(error_deg(arm, r) * radians_per_degree) / r;
}

// dsine/dr = (1 - (L - d)(L + d) / r^2) / (2 L), with the wider exponent where a double
// overflows.
double sine_slope(double d, double l, double r) {
  const double slope = (1 - ((l - d) / r) * ((l + d) / r)) / (2 * l);
  if (std::isfinite(slope)) return slope;
  const long double wl = l;
  const long double wr = r;
  return static_cast<double>((1 - (wl - d) * (wl + d) / (wr * wr)) / (2 * wl));
}

// D'(r) has the sign of phi'(r) r - sin(2 phi) / 2 (D = k tan(phi) / r, times r^2 cos^2(phi)
// / k), which stays finite where tan(phi) does not.
double distortion_slope(const ArmOnRecord& arm, double r) {
  const double d = arm.pivot_to_spindle_mm;
  const double l = arm.effective_length_mm;
  const double sine = stylus_sine(d, l, r);
  if (!(sine >= -1 && sine <= 1)) return no_value;
  const double phi =
      (arm.offset_angle_deg - std::asin(sine) * degrees_per_radian) * radians_per_degree;
  const double phi_slope = -sine_slope(d, l, r) / std::sqrt((1 - sine) * (1 + sine));
  return phi_slope * r - std::sin(2 * phi) / 2;
}

// Magnitudes within a millionth of each other share a peak: an optimum equalises its
// largest distortions, which only the last digits of the search then tell apart.
constexpr double shared_peak = 1e-6;

// The candidates of a peak, in increasing radius.
class PeakCandidates {
 public:
  void take(double magnitude, double r) {
    if (std::isnan(magnitude)) return;
    candidates_.push_back({magnitude, r});
    if (!(magnitude <= largest_)) largest_ = magnitude;
  }

  // The largest magnitude, at the innermost radius that shares it.
  Peak peak() const {
    for (const Peak& candidate : candidates_)
      if (candidate.magnitude >= largest_ - largest_ * shared_peak)
        return {largest_, candidate.radius_mm};
    return {no_value, no_value};
  }

 private:
  std::vector<Peak> candidates_;
  double largest_ = -1;
};

// The root of the distortion's slope between two radii where it has opposite signs.
double slope_root(const ArmOnRecord& arm, double below, double above, double tolerance) {
  const bool negative_below = distortion_slope(arm, below) < 0;
  for (int i = 0; i < 200 && above - below > tolerance; ++i) {
    const double middle = below + (above - below) / 2;
    const double slope = distortion_slope(arm, middle);
    if (std::isnan(slope) || middle == below || middle == above) break;
    ((slope < 0) == negative_below ? below : above) = middle;
  }
  return below + (above - below) / 2;
}

// The slope's sign changes are bracketed between samples this far apart at most; a pair of
// roots closer than that is an extremum no higher than its samples show.
constexpr int slope_samples = 32;

Peak unit_distortion_peak(const ArmOnRecord& arm, const RadiusSpan& span) {
  const double a = span.from_mm;
  const double b = span.to_mm;
  PeakCandidates peak;
  peak.take(std::fabs(unit_distortion(arm, a)), a);
  if (!(b > a)) return peak.peak();
  const double tolerance = (b - a) * 1e-11;
  double below = a;
  double slope_below = distortion_slope(arm, a);
  for (int i = 1; i <= slope_samples; ++i) {
    const double r = i == slope_samples ? b : a + (b - a) * i / slope_samples;
    const double slope = distortion_slope(arm, r);
    if ((slope_below < 0 && slope > 0) || (slope_below > 0 && slope < 0)) {
      const double root = slope_root(arm, below, r, tolerance);
      peak.take(std::fabs(unit_distortion(arm, root)), root);
    }
    peak.take(std::fabs(unit_distortion(arm, r)), r);
    below = r;
    slope_below = slope;
  }
  return peak.peak();
}

// The nodes and weights of 20-point Gauss-Legendre quadrature on [-1, 1], one of each
// symmetric pair, found by Newton's method on the Legendre polynomial.
struct GaussLegendre {
  static constexpr int order = 20;
  std::array<double, order / 2> nodes{};
  std::array<double, order / 2> weights{};
};

GaussLegendre make_gauss_legendre() {
  GaussLegendre rule;
  constexpr int n = GaussLegendre::order;
  for (int i = 0; i < n / 2; ++i) {
    double z = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
    double slope = 1;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p = 1;
      double previous = 0;
      for (int j = 1; j <= n; ++j) {
        const double before = previous;
        previous = p;
        p = ((2 * j - 1) * z * previous - (j - 1) * before) / j;
      }
      slope = n * (z * p - previous) / (z * z - 1);
      const double step = p / slope;
      z -= step;
      if (std::fabs(step) < 1e-16) break;
    }
    rule.nodes[static_cast<std::size_t>(i)] = z;
    rule.weights[static_cast<std::size_t>(i)] = 2 / ((1 - z * z) * slope * slope);
  }
  return rule;
}

template <class F>
double panel(const F& f, double a, double b) {
  static const GaussLegendre rule = make_gauss_legendre();
  const double centre = a + (b - a) / 2;
  const double half = (b - a) / 2;
  double sum = 0;
  for (std::size_t i = 0; i < rule.nodes.size(); ++i)
    sum += rule.weights[i] * (f(centre - half * rule.nodes[i]) + f(centre + half * rule.nodes[i]));
  return sum * half;
}

// Halves a panel until its halves add up to what it gave alone, within `tolerance`, or the
// panels to spend are spent: where the radii are too close together for their doubles to
// place the nodes, the sums never agree, and halving again would only cost time.
template <class F>
double adaptive(const F& f, double a, double b, double whole, double tolerance, int& panels) {
  const double middle = a + (b - a) / 2;
  const double left = panel(f, a, middle);
  const double right = panel(f, middle, b);
  panels -= 2;
  if (panels <= 0 || !(std::fabs(left + right - whole) > tolerance)) return left + right;
  return adaptive(f, a, middle, left, tolerance / 2, panels) +
         adaptive(f, middle, b, right, tolerance / 2, panels);
}

double unit_rms(const ArmOnRecord& arm, const RadiusSpan& span) {
  const double a = span.from_mm;
  const double b = span.to_mm;
  if (!(b > a)) return std::fabs(unit_distortion(arm, a));
  // Squares of distortions in units of the largest at three radii, which keeps them within
  // the range of a double.
  double scale = 0;
  for (double r : {a, a + (b - a) / 2, b})
    scale = std::fmax(scale, std::fabs(unit_distortion(arm, r)));
  if (!(scale > 0 && std::isfinite(scale))) scale = 1;
  const auto square = [&](double r) {
    const double u = unit_distortion(arm, r) / scale;
    return u * u;
  };
  const double whole = panel(square, a, b);
  // A smooth record takes 3 panels; an end at the edge of the arm's reach, where the
  // distortion's slope is infinite, a few dozen. Nodes are placed no closer than the doubles
  // near b allow, which bounds the accuracy of a span that is narrow beside its radii.
  int panels = 64;
  const double accuracy =
      std::fmax(1e-13, 100 * std::numeric_limits<double>::epsilon() * b / (b - a));
  const double integral = adaptive(square, a, b, whole, accuracy * std::fabs(whole), panels);
  return scale * std::sqrt(integral / (b - a));
}

// 100 v / omega, percent mm, with the wider exponent of long double where 100 v overflows.
long double distortion_unit(const ArmOnRecord& arm) {
  return 100.0L * arm.velocity_mm_per_s / (2 * std::numbers::pi_v<long double> * arm.rpm / 60);
}

double in_percent(long double unit, double value) {
  return static_cast<double>(std::fabs(unit) * value);
}

}  // namespace

double stylus_sine(double d_mm, double length_mm, double r_mm) {
  const double d = d_mm;
  const double l = length_mm;
  const double r = r_mm;
  const double s = (l * l + r * r - d * d) / (2 * l * r);
  if (std::isfinite(s)) return s;
  // Squares beyond the range of a double: the wider exponent of long double, and L^2 - d^2
  // as one product so that r^2 is not lost beside two huge squares.
  const long double wl = l;
  const long double wr = r;
  return static_cast<double>(((wl - d) * (wl + d) + wr * wr) / (2 * wl * wr));
}

std::optional<RadiusSpan> reached_span(const ArmOnRecord& arm) {
  const double d = std::fabs(arm.pivot_to_spindle_mm);
  const double l = std::fabs(arm.effective_length_mm);
  RadiusSpan span{std::fmax(arm.inner_groove_radius_mm, std::fabs(l - d)),
                  std::fmin(arm.outer_groove_radius_mm, l + d)};
  if (std::isnan(arm.inner_groove_radius_mm) || std::isnan(arm.outer_groove_radius_mm) ||
      !(span.from_mm <= span.to_mm && span.to_mm > 0 && std::isfinite(span.to_mm)))
    return std::nullopt;
  // The closed form is exact but its rounding is not: each end moves inward to the first
  // radius whose sine lies within [-1, 1].
  const bool from_reached = span.from_mm > 0 && reaches(arm, span.from_mm);
  const bool to_reached = reaches(arm, span.to_mm);
  if (from_reached && to_reached) return span;
  const double middle = span.from_mm + (span.to_mm - span.from_mm) / 2;
  const double inside = from_reached ? span.from_mm : to_reached ? span.to_mm : middle;
  if (!(inside > 0 && reaches(arm, inside))) return std::nullopt;
  if (!from_reached) span.from_mm = reached_end(arm, span.from_mm, inside);
  if (!to_reached) span.to_mm = reached_end(arm, span.to_mm, inside);
  return span;
}

bool reaches_whole_record(const ArmOnRecord& arm) {
  const std::optional<RadiusSpan> span = reached_span(arm);
  return span && arm.inner_groove_radius_mm > 0 && span->from_mm == arm.inner_groove_radius_mm &&
         span->to_mm == arm.outer_groove_radius_mm;
}

ContinuumFigures continuum_figures(const ArmOnRecord& arm) {
  ContinuumFigures figures{{no_value, no_value}, {no_value, no_value}, no_value};
  const std::optional<RadiusSpan> span = reached_span(arm);
  if (!span) return figures;
  const double a = span->from_mm;
  const double b = span->to_mm;

  // phi'(r) = 0 only where sine'(r) = 0: at r = sqrt(L^2 - d^2).
  PeakCandidates error;
  error.take(std::fabs(error_deg(arm, a)), a);
  const double l = std::fabs(arm.effective_length_mm);
  const double d = std::fabs(arm.pivot_to_spindle_mm);
  const double turn = std::sqrt(l - d) * std::sqrt(l + d);
  if (turn > a && turn < b) error.take(std::fabs(error_deg(arm, turn)), turn);
  error.take(std::fabs(error_deg(arm, b)), b);
  figures.peak_tracking_error = error.peak();

  const long double unit = distortion_unit(arm);
  const Peak peak = unit_distortion_peak(arm, *span);
  figures.peak_distortion = {in_percent(unit, peak.magnitude), peak.radius_mm};
  figures.rms_distortion_percent = in_percent(unit, unit_rms(arm, *span));
  return figures;
}

double unit_peak_distortion(const ArmOnRecord& arm) {
  const std::optional<RadiusSpan> span = reached_span(arm);
  return span ? unit_distortion_peak(arm, *span).magnitude : no_value;
}

double unit_rms_distortion(const ArmOnRecord& arm) {
  const std::optional<RadiusSpan> span = reached_span(arm);
  return span ? unit_rms(arm, *span) : no_value;
}

}  // namespace veltrane
