#pragma once

#include <optional>

namespace veltrane {

/// An arm at its pivot distance over a record's groove radii, and the signal whose
/// distortion is taken: everything the figures along the record depend on.
struct ArmOnRecord {
  double pivot_to_spindle_mm = 0;
  double effective_length_mm = 0;
  double offset_angle_deg = 0;
  double inner_groove_radius_mm = 0;
  double outer_groove_radius_mm = 0;
  double rpm = 100.0 / 3;
  double velocity_mm_per_s = 100;  ///< peak lateral velocity of the recorded signal
};

/// The largest magnitude of one figure and the innermost radius where it occurs; both NaN
/// when there is no value.
struct Peak {
  double magnitude = 0;
  double radius_mm = 0;
};

/// The figures of an arm over every radius it reaches on the record, not over a table's rows.
struct ContinuumFigures {
  Peak peak_tracking_error;           ///< degrees
  Peak peak_distortion;               ///< percent
  double rms_distortion_percent = 0;  ///< sqrt of the mean of D^2 over the radii reached
};

/// From radius `from_mm` to `to_mm`, both included.
struct RadiusSpan {
  double from_mm = 0;
  double to_mm = 0;
};

/// sin of the angle at the stylus, (L^2 + r^2 - d^2) / (2 L r): the arm reaches r where it
/// lies within [-1, 1]. Squares beyond the range of a double are formed with a wider exponent.
double stylus_sine(double d_mm, double length_mm, double r_mm);

/// The radii above 0 of [Ri, Ro] at which stylus_sine lies within [-1, 1], around
/// [|L - d|, L + d]; nullopt when there are none or a value is not a number.
std::optional<RadiusSpan> reached_span(const ArmOnRecord& arm);

/// Whether the arm reaches every radius from Ri to Ro (0 < Ri <= Ro).
bool reaches_whole_record(const ArmOnRecord& arm);

/// Peak |tracking error| and |distortion| (at the record's ends, at r = sqrt(L^2 - d^2) for
/// the error, at the roots of D'(r) between them for the distortion) and the RMS distortion
/// (adaptive Gauss-Legendre quadrature), over reached_span; NaN where it has none.
ContinuumFigures continuum_figures(const ArmOnRecord& arm);

/// The same peak and RMS of the distortion in units of 100 v / omega (tan phi / r, 1/mm):
/// what a search compares, cheaper than continuum_figures. NaN without a reached span.
double unit_peak_distortion(const ArmOnRecord& arm);
double unit_rms_distortion(const ArmOnRecord& arm);

}  // namespace veltrane
