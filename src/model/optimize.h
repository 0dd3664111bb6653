#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/continuum.h"

namespace veltrane {

/// What an optimum is best at: the least peak |distortion| over the record, or the least
/// RMS distortion.
enum class Criterion : std::uint8_t { peak, rms };

/// The criterion's key on the command line and in files: "peak", "rms".
std::string_view criterion_key(Criterion criterion);

/// How a template of the optimum is headed and titled, so that it reads as the person's own
/// arm's optimum: "Your arm's optimum (peak)", "Your arm's optimum (RMS)".
std::string_view optimum_name(Criterion criterion);

/// A person's limit for one figure, both ends included; from == to fixes it.
struct ValueRange {
  double from = 0;
  double to = 0;
};

/// The arm a person has: its pivot distance over a record, and how far its overhang
/// (effective length less pivot distance) and offset angle can be set.
struct ArmLimits {
  double pivot_to_spindle_mm = 0;
  double inner_groove_radius_mm = 0;
  double outer_groove_radius_mm = 0;
  ValueRange overhang_mm;
  ValueRange offset_deg;
  Criterion criterion = Criterion::peak;
  double rpm = 100.0 / 3;
  double velocity_mm_per_s = 100;
};

/// One arm's figures over the whole record.
struct ArmFigures {
  double overhang_mm = 0;
  double effective_length_mm = 0;
  double offset_angle_deg = 0;
  std::vector<double> null_radii_mm;  ///< the radii above 0 where phi = 0, inner first
  double peak_distortion_percent = 0;
  double peak_distortion_radius_mm = 0;  ///< the innermost where several share the peak
  double rms_distortion_percent = 0;
};

/// Why no optimum is given: the field it concerns ("overhang-range", "offset-range",
/// "pivot", "inner" for the groove radii) and what is wrong, in words for the person.
struct LimitsProblem {
  std::string_view field;
  std::string message;
};

/// The optimum within the limits, or the problems that leave none.
struct Optimum {
  std::optional<ArmFigures> arm;
  std::vector<LimitsProblem> problems;
};

/// The figures of `arm` (its overhang is L - d), with its null radii from null_radii_as_given.
ArmFigures arm_figures(const ArmOnRecord& arm);

/// The overhangs of arms at pivot distance d that reach every radius of [Ri, Ro]:
/// [max(|d - Ri|, |d - Ro|) - d, Ri], as far as the arms' sines reach; nullopt for none.
std::optional<ValueRange> reaching_overhangs(double d_mm, double ri_mm, double ro_mm);

/// The overhang and offset within the limits whose arm has the least peak or RMS distortion
/// (as the criterion says), to 0.001 mm and 0.001 degrees or better: the least over a grid of
/// overhangs, each with its best offset (a coarse grid, then golden section: for one
/// overhang the peak and the RMS are unimodal in the offset), then golden section in the
/// overhang around the best grid points. Arms that do not reach the whole record are left
/// out. Problems: a pivot distance or groove radii that are no record (0 < Ri < Ro,
/// finite), a range that is not finite or runs backwards, an offset beyond +/-90 degrees,
/// or no arm within the ranges that reaches the record.
Optimum optimize_arm(const ArmLimits& limits);

}  // namespace veltrane
