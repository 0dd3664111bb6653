#pragma once

#include <string_view>

#include "model/speed_measurement.h"
#include "print/print_device.h"

namespace veltrane {

/// Prints the measured speed on one landscape page of the device `open` chooses: the
/// figures, the speed's deviation from nominal over time above, the deviation's spectrum
/// on a logarithmic frequency axis (0.2 to 200 Hz) below. `name` (the recording's) heads it.
void print_speed_page(const SpeedResult& result, std::string_view name, const PrintOpener& open);

}  // namespace veltrane
