#pragma once

#include <utility>

namespace veltrane {

/// The least of f over [lo, hi] by golden section, the ends included; f is unimodal there,
/// or close enough for whatever chose the bracket.
template <class F>
double golden_minimum(const F& f, double lo, double hi, double tolerance) {
  constexpr double ratio = 0.6180339887498949;
  const double f_lo = f(lo);
  const double f_hi = f(hi);
  double best = f_lo <= f_hi ? lo : hi;
  double best_value = f_lo <= f_hi ? f_lo : f_hi;
  double a = lo;
  double b = hi;
  double c = b - ratio * (b - a);
  double d = a + ratio * (b - a);
  double fc = f(c);
  double fd = f(d);
  for (int i = 0; i < 200 && b - a > tolerance; ++i) {
    if (fc <= fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - ratio * (b - a);
      fc = f(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + ratio * (b - a);
      fd = f(d);
    }
  }
  for (const auto& [x, value] : {std::pair{c, fc}, {d, fd}}) {
    if (value < best_value) {
      best = x;
      best_value = value;
    }
  }
  return best;
}

}  // namespace veltrane
