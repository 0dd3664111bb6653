#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "app/window_fields.h"
#include "model/analysis.h"
#include "model/parameter_set.h"

namespace veltrane {

/// What summary, template and analyze take beyond the main window's fields.
struct AlignmentOptions {
  std::optional<std::pair<double, double>> nulls_mm;  ///< --nulls, in the order given
  std::optional<double> effective_length_mm;          ///< --effective-length
};

/// --nulls N1,N2: two numbers above 0 that differ. Throws UsageError.
std::pair<double, double> nulls_argument(std::string_view text);

/// --mounting-error E,B: millimetres forward and degrees turned, of either sign. Throws
/// UsageError.
MountingError mounting_error_argument(std::string_view text);

/// Refuses options given together that say the same twice: --effective-length with --pivot,
/// --radii with --inner or --outer. `given` lists the options as given. Throws UsageError.
void check_exclusive_options(std::span<const std::string_view> given);

/// Applies the options to a set read from the fields: custom null radii become the chosen
/// alignment, and an effective length sets the pivot distance at which the chosen alignment
/// has it; then computes the alignment again. Throws UsageError where no arm of that length
/// reaches both null radii.
void apply_alignment_options(const AlignmentOptions& options, ParameterSet& set);

/// The parameter set of the main window's fields with the options applied. Throws
/// UsageError as apply_alignment_options does.
ParameterSet read_arm(const MainWindowFields& window, const AlignmentOptions& options);

}  // namespace veltrane
