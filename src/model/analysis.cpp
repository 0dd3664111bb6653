#include "model/analysis.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "model/alignments.h"
#include "model/field_reading.h"
#include "model/geometry.h"

namespace veltrane {
namespace {

constexpr double no_value = std::numeric_limits<double>::quiet_NaN();
constexpr double radians_per_degree = std::numbers::pi / 180;

Peak peak_magnitude(const std::vector<double>& radii, const std::vector<TrackingValues>& rows,
                    double TrackingValues::*figure) {
  Peak peak{no_value, no_value};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double magnitude = std::fabs(rows[i].*figure);
    if (std::isnan(magnitude)) continue;
    if (std::isnan(peak.magnitude) || magnitude > peak.magnitude) peak = {magnitude, radii[i]};
  }
  return peak;
}

// The plain sum of squares in radius order, as anyone checking the figure by hand or in a
// spreadsheet would add them.
double rms_distortion(const std::vector<TrackingValues>& rows) {
  double sum = 0;
  std::size_t count = 0;
  for (const TrackingValues& row : rows) {
    const double d = row.distortion_percent;
    if (std::isnan(d)) continue;
    sum += d * d;
    ++count;
  }
  if (count == 0) return no_value;
  return std::sqrt(sum / static_cast<double>(count));
}

bool on_record(double radius, double ri, double ro) {
  return radius >= ri && radius <= ro;
}

void fill_rows(ArmAnalysis& arm, const Analysis& analysis) {
  const AnalysisOptions& o = analysis.options;
  arm.rows.reserve(analysis.radii_mm.size());
  for (double r : analysis.radii_mm) {
    arm.rows.push_back(tracking_at(analysis.pivot_to_spindle_mm, arm.effective_length_mm,
                                   arm.offset_angle_deg, r, o.rpm, o.velocity_mm_per_s));
  }
  arm.peak_tracking_error =
      peak_magnitude(analysis.radii_mm, arm.rows, &TrackingValues::tracking_error_deg);
  arm.peak_distortion =
      peak_magnitude(analysis.radii_mm, arm.rows, &TrackingValues::distortion_percent);
  arm.rms_distortion_percent = rms_distortion(arm.rows);
  const double ri = analysis.inner_groove_radius_mm;
  const double ro = analysis.outer_groove_radius_mm;
  arm.inner_null_on_record = on_record(arm.inner_null_radius_mm, ri, ro);
  arm.outer_null_on_record = on_record(arm.outer_null_radius_mm, ri, ro);
}

ArmAnalysis alignment_arm(const ParameterSet& set, const Alignment& alignment,
                          const Analysis& analysis) {
  // The same computation as the summary's, from the same inputs.
  ParameterSet computed = set;
  computed.alignment = alignment.code;
  compute_alignment(computed);
  ArmAnalysis arm;
  arm.key = alignment.key;
  arm.name = alignment.name;
  arm.chosen = set.alignment == alignment.code;
  arm.inner_null_radius_mm = computed.inner_null_radius;
  arm.outer_null_radius_mm = computed.outer_null_radius;
  arm.effective_length_mm = computed.effective_length;
  arm.overhang_mm = computed.overhang;
  arm.offset_angle_deg = computed.offset_angle;
  fill_rows(arm, analysis);
  return arm;
}

// An arm given by its effective length and offset angle at the analysis' pivot distance,
// with its own null radii where it has them.
ArmAnalysis arm_by_length_and_offset(std::string_view key, std::string_view name, double length_mm,
                                     double offset_deg, const Analysis& analysis) {
  ArmAnalysis arm;
  arm.key = key;
  arm.name = name;
  arm.by_length_and_offset = true;
  arm.effective_length_mm = length_mm;
  arm.offset_angle_deg = offset_deg;
  arm.overhang_mm = length_mm - analysis.pivot_to_spindle_mm;
  const auto [inner, outer] =
      null_radii_as_given(analysis.pivot_to_spindle_mm, length_mm, offset_deg);
  arm.inner_null_radius_mm = inner;
  arm.outer_null_radius_mm = outer;
  fill_rows(arm, analysis);
  return arm;
}

// The peak |distortion| of the arm mounted with `error`, less the arm's own.
double peak_growth(const ArmAnalysis& arm, const MountingError& error, const Analysis& analysis) {
  const ArmAnalysis mounted =
      arm_by_length_and_offset(arm.key, arm.name, arm.effective_length_mm + error.overhang_mm,
                               arm.offset_angle_deg + error.offset_deg, analysis);
  return mounted.peak_distortion.magnitude - arm.peak_distortion.magnitude;
}

MountingSensitivity sensitivity_of(const ArmAnalysis& arm, const Analysis& analysis) {
  return {peak_growth(arm, {sensitivity_overhang_mm, 0}, analysis),
          peak_growth(arm, {-sensitivity_overhang_mm, 0}, analysis),
          peak_growth(arm, {0, sensitivity_offset_deg}, analysis),
          peak_growth(arm, {0, -sensitivity_offset_deg}, analysis)};
}

}  // namespace

bool has_too_many_radii(double ri_mm, double ro_mm, double step_mm, std::size_t most) {
  if (!(std::isfinite(ri_mm) && std::isfinite(ro_mm) && ri_mm < ro_mm)) return false;
  // The count is about (Ro - Ri) / step + 1; the margin covers its rounding.
  const double count = (ro_mm - ri_mm) / step_mm;
  return !(count <= static_cast<double>(most) - 2);
}

std::vector<double> analysis_radii(double ri_mm, double ro_mm, double step_mm) {
  std::vector<double> radii;
  if (!(std::isfinite(ri_mm) && std::isfinite(ro_mm) && ri_mm < ro_mm)) return radii;
  if (!(std::isfinite(step_mm) && step_mm > 0)) return radii;
  // Each radius from its index, so that no rounding accumulates along the record.
  for (std::size_t k = 0; radii.size() < max_analysis_radii; ++k) {
    const double r = ri_mm + static_cast<double>(k) * step_mm;
    if (!(r < ro_mm)) break;
    radii.push_back(r);
  }
  radii.push_back(ro_mm);
  return radii;
}

std::string no_radii_reason(double ri_mm, double ro_mm) {
  if (!(std::isfinite(ri_mm) && std::isfinite(ro_mm)))
    return "the groove radii are not both finite numbers";
  if (!(ri_mm < ro_mm)) return "the inner groove radius is not less than the outer groove radius";
  return {};
}

TrackingValues tracking_at(double d_mm, double length_mm, double offset_deg, double r_mm,
                           double rpm, double velocity_mm_per_s) {
  const double d = d_mm;
  const double l = length_mm;
  const double r = r_mm;
  const double s = (l * l + r * r - d * d) / (2 * l * r);
  if (!(s >= -1 && s <= 1)) return {no_value, no_value, no_value};
  const double phi = offset_deg - std::asin(s) * degrees_per_radian;
  const double omega = 2 * std::numbers::pi * rpm / 60;
  TrackingValues values;
  values.tracking_error_deg = phi;
  values.weighted_error_deg_per_cm = phi / (r / 10);
  values.distortion_percent =
      100 * velocity_mm_per_s * std::tan(phi * radians_per_degree) / (omega * r);
  return values;
}

std::pair<double, double> null_radii_as_given(double d_mm, double length_mm, double offset_deg) {
  const double l = length_mm;
  const double d = d_mm;
  const double sine = std::sin(offset_deg * radians_per_degree);
  const double root_argument = l * l * (sine * sine) - l * l + d * d;
  if (!(root_argument >= 0)) return {no_value, no_value};
  const double root = std::sqrt(root_argument);
  return {l * sine - root, l * sine + root};
}

Analysis analyse_alignments(const ParameterSet& set, const AnalysisOptions& options) {
  Analysis analysis;
  analysis.pivot_to_spindle_mm = set.pivot_to_spindle;
  analysis.inner_groove_radius_mm = set.inner_groove_radius;
  analysis.outer_groove_radius_mm = set.outer_groove_radius;
  analysis.id = cp1252_to_utf8(set.id_text);
  analysis.id.erase(analysis.id.find_last_not_of(' ') + 1);
  analysis.options = options;
  analysis.radii_mm =
      analysis_radii(set.inner_groove_radius, set.outer_groove_radius, options.step_mm);
  analysis.no_radii_reason = no_radii_reason(set.inner_groove_radius, set.outer_groove_radius);

  for (const Alignment& alignment : alignments)
    analysis.arms.push_back(alignment_arm(set, alignment, analysis));
  if (set.alignment == alignment_custom_nulls)
    analysis.arms.push_back(alignment_arm(set, custom_nulls, analysis));
  if (options.mounting_error) {
    for (ArmAnalysis& arm : analysis.arms) arm.sensitivity = sensitivity_of(arm, analysis);
  }
  // Found before more arms are added, which may move the vector's elements.
  const ArmAnalysis* chosen = nullptr;
  for (const ArmAnalysis& arm : analysis.arms) {
    if (arm.chosen) chosen = &arm;
  }
  std::optional<ArmAnalysis> mounted;
  if (options.mounting_error && chosen) {
    mounted = arm_by_length_and_offset(
        "mounted", "As mounted", chosen->effective_length_mm + options.mounting_error->overhang_mm,
        chosen->offset_angle_deg + options.mounting_error->offset_deg, analysis);
  }
  if (options.as_given) {
    analysis.arms.push_back(arm_by_length_and_offset("as-given", "As given",
                                                     options.as_given->effective_length_mm,
                                                     options.as_given->offset_angle_deg, analysis));
  }
  if (mounted) analysis.arms.push_back(std::move(*mounted));
  return analysis;
}

}  // namespace veltrane
