#pragma once

#include <cmath>

namespace veltrane {

/// a × b ÷ c in double precision, in that order. Where only the intermediate product
/// overflows, the result comes from extended precision instead of being infinite.
inline double product_over(double a, double b, double c) {
  const double result = a * b / c;
  if (std::isfinite(result) || !std::isfinite(a) || !std::isfinite(b) || c == 0) return result;
  return static_cast<double>(static_cast<long double>(a) * b / c);
}

}  // namespace veltrane
