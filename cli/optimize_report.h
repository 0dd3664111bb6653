#pragma once

#include <string>

#include "app/optimize.h"
#include "model/parameter_set.h"

namespace veltrane {

/// The report of veltrane-cli optimize for the arm `set` and its optimum: the limits, then
/// the optimum's figures beside the chosen alignment's, as text (three decimals, a table)
/// or as JSON (every number as the double it is).
std::string optimum_report(const ParameterSet& set, const ArmOptimum& optimum, bool json);

}  // namespace veltrane
