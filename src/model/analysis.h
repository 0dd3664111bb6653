#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/alignments.h"
#include "model/continuum.h"
#include "model/parameter_set.h"

namespace veltrane {

/// An arm as its maker built it: effective length and offset angle, mounted at the
/// parameter set's pivot-to-spindle distance.
struct ArmAsGiven {
  double effective_length_mm = 0;
  double offset_angle_deg = 0;
};

/// How far a cartridge is mounted off its alignment: the stylus further forward (a longer
/// effective length at the same pivot distance; negative is behind) and turned further (a
/// larger offset angle).
struct MountingError {
  double overhang_mm = 0;
  double offset_deg = 0;
};

/// The mounting errors whose cost every alignment reports with a MountingError option.
inline constexpr double sensitivity_overhang_mm = 0.5;
inline constexpr double sensitivity_offset_deg = 0.5;

/// What an analysis needs beyond the parameter set.
struct AnalysisOptions {
  double rpm = 100.0 / 3;
  double velocity_mm_per_s = 100;  ///< peak lateral velocity of the recorded signal
  double step_mm = 1;
  std::optional<ArmAsGiven> as_given;
  /// The chosen alignment as mounted with this error: one more arm, "As mounted", and each
  /// alignment's MountingSensitivity.
  std::optional<MountingError> mounting_error;
  /// false: no arm keeps its rows, which analysis_row computes again when asked; a million
  /// radii then take some megabytes instead of a hundred.
  bool keep_rows = true;
};

/// The most radii one analysis computes; a finer step is refused before anything is computed.
inline constexpr std::size_t max_analysis_radii = 1'000'000;

/// The figures at one radius. NaN means "no value": the arm cannot reach the radius (or
/// the value is not a number). Infinities are kept as values.
struct TrackingValues {
  double tracking_error_deg = 0;
  double weighted_error_deg_per_cm = 0;
  double distortion_percent = 0;
};

/// How much an alignment's peak |distortion| grows, in percentage points, when it is
/// mounted sensitivity_overhang_mm too far forward or behind, or turned sensitivity_offset_deg
/// too far either way; negative where the peak shrinks, NaN where either peak has no value.
struct MountingSensitivity {
  double overhang_longer = 0;
  double overhang_shorter = 0;
  double offset_larger = 0;
  double offset_smaller = 0;
};

/// One analysed arm: its geometry, its peaks and RMS over every radius from the inner to the
/// outer groove radius that it reaches (continuum_figures: whatever the step), and one row per
/// radius of the analysis.
struct ArmAnalysis {
  /// "lofgren-a", "lofgren-b", "stevenson-a", "custom", "as-given", "mounted"
  std::string_view key;
  std::string_view name;  ///< "Löfgren A", ..., "Custom", "As given", "As mounted"
  DashPattern dash_mm;    ///< its curve on the chart, as its alignment's
  int screen_colour = 0;  ///< and on screens
  std::string_view screen_dashes;
  bool chosen = false;                ///< the alignment the main window has checked
  bool by_length_and_offset = false;  ///< an arm as given or as mounted, not an alignment
  double inner_null_radius_mm = 0;    ///< NaN where the arm has no null radius
  double outer_null_radius_mm = 0;
  bool inner_null_on_record = false;  ///< within [Ri, Ro]
  bool outer_null_on_record = false;
  double effective_length_mm = 0;
  double overhang_mm = 0;
  double offset_angle_deg = 0;
  Peak peak_tracking_error;           ///< largest |tracking error|, degrees
  Peak peak_distortion;               ///< largest |distortion|, percent
  double rms_distortion_percent = 0;  ///< over the radii reached; NaN if none
  std::vector<TrackingValues> rows;   ///< one per radius of the analysis, where kept
  /// Of an alignment, when the options have a mounting error.
  std::optional<MountingSensitivity> sensitivity;
};

struct Analysis {
  double pivot_to_spindle_mm = 0;
  double inner_groove_radius_mm = 0;
  double outer_groove_radius_mm = 0;
  std::string id;  ///< UTF-8, trailing spaces removed
  AnalysisOptions options;
  std::vector<double> radii_mm;
  std::string no_radii_reason;  ///< why radii_mm is empty; empty when it is not
  /// Löfgren A, Löfgren B, Stevenson A, then Custom, As given and As mounted where present.
  std::vector<ArmAnalysis> arms;
};

/// The radii Ri, Ri + step, Ri + 2 step, ... below Ro (the k-th as Ri + k step), then Ro.
/// Empty when Ri >= Ro or either is not finite, or when the step is not a positive finite
/// number; ends at the first max_analysis_radii + 1 radii whatever the step.
std::vector<double> analysis_radii(double ri_mm, double ro_mm, double step_mm);

/// Whether analysis_radii would hold more than `most` radii.
bool has_too_many_radii(double ri_mm, double ro_mm, double step_mm,
                        std::size_t most = max_analysis_radii);

/// Why there are no radii ("" when there are): the radii are not finite or not in order.
std::string no_radii_reason(double ri_mm, double ro_mm);

/// Tracking error, weighted error and distortion at radius r of an arm with pivot-to-spindle
/// distance d, effective length L and offset angle beta; all NaN where the arm cannot reach r.
TrackingValues tracking_at(double d_mm, double length_mm, double offset_deg, double r_mm,
                           double rpm, double velocity_mm_per_s);

/// The figures of `arm` at the analysis's `i`-th radius: its kept row, or the same computed.
TrackingValues analysis_row(const Analysis& analysis, const ArmAnalysis& arm, std::size_t i);

/// The null radii of an arm as given, L sin(beta) -/+ sqrt(L^2 sin^2(beta) - L^2 + d^2);
/// both NaN where the root's argument is negative, and either NaN where it is not above 0
/// (no radius on a record).
std::pair<double, double> null_radii_as_given(double d_mm, double length_mm, double offset_deg);

/// Analyses the three alignments (each by compute_alignment from the set's d, Ri and Ro), the
/// set's custom null radii when it has chosen them, and, when given, the arm as its maker
/// built it and the chosen alignment as mounted with the options' mounting error.
Analysis analyse_alignments(const ParameterSet& set, const AnalysisOptions& options);

}  // namespace veltrane
