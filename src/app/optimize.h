#pragma once

#include <string>

#include "app/page_kinds.h"
#include "app/problems.h"
#include "model/optimize.h"
#include "model/parameter_set.h"

namespace veltrane {

/// The limits of the arm a person has, as typed: each range two numbers with a comma between
/// them ("10,20") or one that fixes it ("22"), and the signal whose distortion is weighed.
struct OptimizeRequest {
  std::string overhang_range;  ///< mm, the effective length less the pivot distance
  std::string offset_range;    ///< degrees
  Criterion criterion = Criterion::peak;
  std::string rpm = "100/3";
  std::string velocity = "100";
};

/// The optimum within the limits, beside the arm's chosen alignment.
struct ArmOptimum {
  ArmLimits limits;
  ArmFigures optimum;
  ArmFigures standard;  ///< the alignment's, its null radii as its summary gives them
};

/// The optimum for the resolved arm `set` (its pivot distance, groove radii and alignment).
/// The ranges, speed and velocity are read strictly whatever the arm's reading. Problems:
/// texts that are no numbers, ranges that run backwards, offsets beyond -90 to 90 degrees,
/// limits that hold no arm reaching the whole record.
Resolved<ArmOptimum> resolve_optimum(const OptimizeRequest& request, const ParameterSet& set);

/// The template of the optimum: `set` with the optimum's null radii as custom nulls, headed
/// and titled as the arm's optimum. A problem (field "optimum") when the optimum has fewer
/// than two null radii to align a cartridge at.
Resolved<PageInputs> optimum_template(const ParameterSet& set, const ArmOptimum& optimum);

}  // namespace veltrane
