#pragma once

#include "model/parameter_set.h"

namespace veltrane {

inline constexpr double degrees_per_radian = 57.29577951308232;

/// The square root of the alignment formulas: a negative argument comes back unchanged.
double alignment_sqrt(double x);

/// Fills the null radii, effective length, overhang and offset angle for the chosen
/// alignment. An unknown code keeps the other derived values and recomputes the offset angle.
void compute_alignment(ParameterSet& set);

struct PointMm {
  double x = 0;
  double y = 0;
};

/// The crossing of two circles reached by turning the direction from centre 1 to centre 2
/// through +90 degrees. `distance` is taken as given, not measured from the centres.
PointMm intersect_circles(double r1, double r2, double distance, double x1, double y1, double x2,
                          double y2);

}  // namespace veltrane
