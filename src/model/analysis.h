#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/parameter_set.h"

namespace veltrane {

/// An arm as its maker built it: effective length and offset angle, mounted at the
/// parameter set's pivot-to-spindle distance.
struct ArmAsGiven {
  double effective_length_mm = 0;
  double offset_angle_deg = 0;
};

/// What an analysis needs beyond the parameter set.
struct AnalysisOptions {
  double rpm = 100.0 / 3;
  double velocity_mm_per_s = 100;  ///< peak lateral velocity of the recorded signal
  double step_mm = 1;
  std::optional<ArmAsGiven> as_given;
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

/// The largest magnitude of one figure over the rows and the first radius where it occurs;
/// both NaN when no row has a value.
struct Peak {
  double magnitude = 0;
  double radius_mm = 0;
};

/// One analysed arm: its geometry, peaks and one row per radius of the analysis.
struct ArmAnalysis {
  std::string_view key;             ///< "lofgren-a", "lofgren-b", "stevenson-a", "as-given"
  std::string_view name;            ///< "Löfgren A", ..., "As given" (UTF-8)
  bool chosen = false;              ///< the alignment the main window has checked
  double inner_null_radius_mm = 0;  ///< NaN where the arm has no null radius
  double outer_null_radius_mm = 0;
  bool inner_null_on_record = false;  ///< within [Ri, Ro]
  bool outer_null_on_record = false;
  double effective_length_mm = 0;
  double overhang_mm = 0;
  double offset_angle_deg = 0;
  Peak peak_tracking_error;           ///< largest |tracking error|, degrees
  Peak peak_distortion;               ///< largest |distortion|, percent
  double rms_distortion_percent = 0;  ///< over the rows with a distortion value; NaN if none
  std::vector<TrackingValues> rows;   ///< one per radius of the analysis, where kept
};

struct Analysis {
  double pivot_to_spindle_mm = 0;
  double inner_groove_radius_mm = 0;
  double outer_groove_radius_mm = 0;
  std::string id;  ///< UTF-8, trailing spaces removed
  AnalysisOptions options;
  std::vector<double> radii_mm;
  std::string no_radii_reason;    ///< why radii_mm is empty; empty when it is not
  std::vector<ArmAnalysis> arms;  ///< Löfgren A, Löfgren B, Stevenson A, then As given
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

/// Analyses the three alignments (each by compute_alignment from the set's d, Ri and Ro)
/// and, when given, the arm as its maker built it.
Analysis analyse_alignments(const ParameterSet& set, const AnalysisOptions& options);

}  // namespace veltrane
