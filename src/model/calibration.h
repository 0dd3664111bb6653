#pragma once

namespace veltrane {

/// The template's reference distance on each axis: from the reference line to the
/// "X=200mm" or "Y=200mm" tick.
inline constexpr double calibration_reference_mm = 200;

/// The correction factor that brings a reference printed with `current_factor` and
/// measured as `measured_mm` to 200 mm: current × 200 ÷ measured.
double calibrated_factor(double current_factor, double measured_mm);

/// Whether a measured reference is more than 10 % away from 200 mm, which a printer's
/// scale error never is: a wrong tick or the wrong unit.
bool is_doubtful_measurement(double measured_mm);

}  // namespace veltrane
