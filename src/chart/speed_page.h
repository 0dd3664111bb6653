#pragma once

#include <string_view>
#include <vector>

#include "model/speed_measurement.h"
#include "print/page_mark.h"
#include "print/print_device.h"

namespace veltrane {

/// Prints the measured speed on one landscape page of the device `open` chooses: the
/// figures, the speed's deviation from nominal over time above, the deviation's spectrum
/// on a logarithmic frequency axis (0.2 to 200 Hz) below. `name` (the recording's) heads it.
/// The title of the page's file; the page heads it with the recording's name too.
inline constexpr std::string_view speed_page_title = "Speed, wow and flutter";

/// Where the page's two plots land: "the deviation plot" and "the spectrum plot".
std::vector<PageMark> speed_marks();

void print_speed_page(const SpeedResult& result, std::string_view name, const PrintOpener& open);

}  // namespace veltrane
