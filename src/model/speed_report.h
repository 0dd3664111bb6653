#pragma once

#include <string>

#include "model/speed_measurement.h"

namespace veltrane {

/// The figures as lines of text, each number with three decimals.
std::string speed_report_text(const SpeedResult& result);

/// The figures as one JSON object, each number the shortest decimal that reads back.
std::string speed_report_json(const SpeedResult& result);

/// "no tone within ±4 % of 3150 Hz; the recording's tone is at 3000.0 Hz", the found
/// frequency added when there is one.
std::string speed_problem_text(const SpeedResult& result);

}  // namespace veltrane
