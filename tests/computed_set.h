#pragma once

#include <cstdint>

#include "model/geometry.h"
#include "model/parameter_set.h"

namespace veltrane {

/// A parameter set of these inputs with the alignment computed, as the summary has it.
inline ParameterSet computed_set(double d, double ri, double ro,
                                 std::int16_t alignment = alignment_lofgren_a) {
  ParameterSet set;
  set.pivot_to_spindle = d;
  set.inner_groove_radius = ri;
  set.outer_groove_radius = ro;
  set.alignment = alignment;
  compute_alignment(set);
  return set;
}

}  // namespace veltrane
