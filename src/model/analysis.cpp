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

// The figures of `arm` at radius `r`: the one place that says how a row is computed, whether
// the rows are kept or computed again when asked for.
TrackingValues row_of(const Analysis& analysis, const ArmAnalysis& arm, double r) {
  const AnalysisOptions& o = analysis.options;
  return tracking_at(analysis.pivot_to_spindle_mm, arm.effective_length_mm, arm.offset_angle_deg, r,
                     o.rpm, o.velocity_mm_per_s);
}

bool on_record(double radius, double ri, double ro) {
  return radius >= ri && radius <= ro;
}

// The rows (when kept), and the peaks and RMS over the whole record, which the rows only
// sample.
void fill_rows(ArmAnalysis& arm, const Analysis& analysis) {
  const std::vector<double>& radii = analysis.radii_mm;
  if (analysis.options.keep_rows) {
    arm.rows.reserve(radii.size());
    for (double r : radii) arm.rows.push_back(row_of(analysis, arm, r));
  }
  ContinuumFigures figures{{no_value, no_value}, {no_value, no_value}, no_value};
  if (!radii.empty()) {
    const AnalysisOptions& o = analysis.options;
    figures = continuum_figures({analysis.pivot_to_spindle_mm, arm.effective_length_mm,
                                 arm.offset_angle_deg, analysis.inner_groove_radius_mm,
                                 analysis.outer_groove_radius_mm, o.rpm, o.velocity_mm_per_s});
  }
  arm.peak_tracking_error = figures.peak_tracking_error;
  arm.peak_distortion = figures.peak_distortion;
  arm.rms_distortion_percent = figures.rms_distortion_percent;
  const double ri = analysis.inner_groove_radius_mm;
  const double ro = analysis.outer_groove_radius_mm;
  arm.inner_null_on_record = on_record(arm.inner_null_radius_mm, ri, ro);
  arm.outer_null_on_record = on_record(arm.outer_null_radius_mm, ri, ro);
}

// An arm keyed, named and drawn as its kind.
ArmAnalysis arm_of_kind(const Alignment& kind) {
  ArmAnalysis arm;
  arm.key = kind.key;
  arm.name = kind.name;
  arm.dash_mm = kind.dash_mm;
  arm.screen_colour = kind.screen_colour;
  arm.screen_dashes = kind.screen_dashes;
  return arm;
}

ArmAnalysis alignment_arm(const ParameterSet& set, const Alignment& alignment,
                          const Analysis& analysis) {
  // The same computation as the summary's, from the same inputs.
  ParameterSet computed = set;
  computed.alignment = alignment.code;
  compute_alignment(computed);
  ArmAnalysis arm = arm_of_kind(alignment);
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
ArmAnalysis arm_by_length_and_offset(const Alignment& kind, double length_mm, double offset_deg,
                                     const Analysis& analysis) {
  ArmAnalysis arm = arm_of_kind(kind);
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
      arm_by_length_and_offset(arm_as_mounted, arm.effective_length_mm + error.overhang_mm,
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
  if (!(std::isfinite(step_mm) && step_mm > 0) || most == 0) return false;
  // The radii below Ro grow with their index, so there are more than `most` radii with Ro
  // exactly when the (most - 1)-th, computed as analysis_radii computes it, is still below.
  return ri_mm + static_cast<double>(most - 1) * step_mm < ro_mm;
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
  const double r = r_mm;
  const double s = stylus_sine(d_mm, length_mm, r);
  if (!(s >= -1 && s <= 1)) return {no_value, no_value, no_value};
  const double phi = offset_deg - std::asin(s) * degrees_per_radian;
  const double omega = 2 * std::numbers::pi * rpm / 60;
  const double tangent = std::tan(phi * radians_per_degree);
  TrackingValues values;
  values.tracking_error_deg = phi;
  values.weighted_error_deg_per_cm = phi / (r / 10);
  if (!std::isfinite(values.weighted_error_deg_per_cm))
    values.weighted_error_deg_per_cm = static_cast<double>(phi * 10.0L / r);
  values.distortion_percent = 100 * velocity_mm_per_s * tangent / (omega * r);
  const bool lost =
      !std::isfinite(values.distortion_percent) || (values.distortion_percent == 0 && tangent != 0);
  if (lost && std::isfinite(tangent)) {
    // Where 100 v, ω or ω r leaves the range of a double although the distortion does
    // not, the wider exponent of long double carries the same formula through.
    const long double wide_omega = 2 * std::numbers::pi_v<long double> * rpm / 60;
    values.distortion_percent =
        static_cast<double>(100.0L * velocity_mm_per_s * tangent / (wide_omega * r));
  }
  return values;
}

TrackingValues analysis_row(const Analysis& analysis, const ArmAnalysis& arm, std::size_t i) {
  return arm.rows.empty() ? row_of(analysis, arm, analysis.radii_mm[i]) : arm.rows[i];
}

std::pair<double, double> null_radii_as_given(double d_mm, double length_mm, double offset_deg) {
  const double l = length_mm;
  const double d = d_mm;
  const double sine = std::sin(offset_deg * radians_per_degree);
  const double root_argument = l * l * (sine * sine) - l * l + d * d;
  double root = std::sqrt(root_argument);
  if (std::isnan(root_argument)) {
    // Squares beyond the range of a double: d^2 - L^2 cos^2(beta) as one product, with the
    // wider exponent of long double.
    const long double cosine_l = std::cos(offset_deg * radians_per_degree) * l;
    const long double wide_argument = (d - cosine_l) * (d + cosine_l);
    if (!(wide_argument >= 0)) return {no_value, no_value};
    root = static_cast<double>(std::sqrt(wide_argument));
  }
  if (!(root_argument >= 0) && !std::isnan(root_argument)) return {no_value, no_value};
  // The spindle is at radius 0: a root at or below it is no radius the stylus passes.
  const auto radius = [](double r) { return r > 0 ? r : no_value; };
  return {radius(l * sine - root), radius(l * sine + root)};
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
        arm_as_mounted, chosen->effective_length_mm + options.mounting_error->overhang_mm,
        chosen->offset_angle_deg + options.mounting_error->offset_deg, analysis);
  }
  if (options.as_given) {
    analysis.arms.push_back(arm_by_length_and_offset(arm_as_given,
                                                     options.as_given->effective_length_mm,
                                                     options.as_given->offset_angle_deg, analysis));
  }
  if (mounted) analysis.arms.push_back(std::move(*mounted));
  return analysis;
}

}  // namespace veltrane
