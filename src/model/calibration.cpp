#include "model/calibration.h"

#include <cmath>

#include "model/product_over.h"

namespace veltrane {

double calibrated_factor(double current_factor, double measured_mm) {
  return product_over(current_factor, calibration_reference_mm, measured_mm);
}

bool is_doubtful_measurement(double measured_mm) {
  return !(std::fabs(measured_mm - calibration_reference_mm) <= calibration_reference_mm / 10);
}

}  // namespace veltrane
