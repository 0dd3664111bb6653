#pragma once

#include "model/parameter_set.h"

namespace veltrane {

inline constexpr double degrees_per_radian = 57.29577951308232;

/// The square root of the alignment formulas: a negative argument comes back unchanged.
double alignment_sqrt(double x);

/// Fills the null radii, effective length, overhang and offset angle for the chosen
/// alignment. An unknown code keeps the other derived values and recomputes the offset angle.
/// Every alignment, custom null radii included, goes the same way from its null radii N1, N2
/// on: L = sqrt(N1 N2 + d^2), overhang L - d, and the offset angle from N1 and L.
void compute_alignment(ParameterSet& set);

/// `set` with its alignment computed by compute_alignment, for callers that keep theirs.
ParameterSet with_computed_alignment(ParameterSet set);

/// N1 N2 of the set's alignment as compute_alignment forms it from the groove radii (or
/// the custom null radii); it does not depend on the pivot distance. NaN for an unknown code.
double null_radii_product(const ParameterSet& set);

/// The pivot-to-spindle distance at which an arm of effective length L has null radii of
/// product P: sqrt(L^2 - P). NaN where no arm of that length reaches both (L^2 <= P) or
/// a value is not finite.
double pivot_for_effective_length(double length_mm, double null_product);

struct PointMm {
  double x = 0;
  double y = 0;
};

/// The crossing of two circles reached by turning the direction from centre 1 to centre 2
/// through +90 degrees. `distance` is taken as given, not measured from the centres.
PointMm intersect_circles(double r1, double r2, double distance, double x1, double y1, double x2,
                          double y2);

}  // namespace veltrane
