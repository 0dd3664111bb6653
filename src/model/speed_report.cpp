#include "model/speed_report.h"

#include <cmath>
#include <utility>

#include "model/number_format.h"
#include "model/strobe_speed.h"

namespace veltrane {
namespace {

// With its sign, and none on a value that rounds to zero.
std::string signed_three(double value) {
  const std::string text = format_three_decimals(std::fabs(value) < 0.0005 ? 0.0 : value);
  return text.starts_with('-') ? text : "+" + text;
}

}  // namespace

std::string speed_report_text(const SpeedResult& r) {
  std::string modulation = format_three_decimals(r.dominant_modulation_hz) + " Hz, \u00B1" +
                           format_three_decimals(r.dominant_modulation_percent) + " %";
  if (r.dominant_is_revolution)
    modulation += " (once per revolution at " + strobe_speed_text(r.rpm) + " RPM)";
  return "Tone: " + format_three_decimals(r.tone_hz) + " Hz (nominal " +
         format_up_to_three_decimals(r.nominal_tone_hz) + " Hz)\n" +
         "Speed error: " + signed_three(r.speed_error_percent) + " %\n" +
         "Drift: " + signed_three(r.drift_percent_per_min) + " % per minute\n" +
         "Wow (0.5 to 6 Hz, RMS, unweighted): " + format_three_decimals(r.wow_rms_percent) +
         " %\n" +
         "Flutter (6 to 200 Hz, RMS, unweighted): " + format_three_decimals(r.flutter_rms_percent) +
         " %\n" + "Weighted peak wow and flutter (2 sigma): \u00B1" +
         format_three_decimals(r.weighted_peak_percent) + " %\n" +
         "Strongest modulation: " + modulation + "\n" +
         "Duration: " + format_three_decimals(r.duration_s) + " s\n";
}

std::string speed_report_json(const SpeedResult& r) {
  const std::pair<const char*, double> fields[] = {
      {"tone_hz", r.tone_hz},
      {"speed_error_percent", r.speed_error_percent},
      {"drift_percent_per_min", r.drift_percent_per_min},
      {"wow_rms_percent", r.wow_rms_percent},
      {"flutter_rms_percent", r.flutter_rms_percent},
      {"weighted_peak_percent", r.weighted_peak_percent},
      {"dominant_modulation_hz", r.dominant_modulation_hz},
      {"dominant_modulation_percent", r.dominant_modulation_percent},
      {"duration_s", r.duration_s},
  };
  std::string json = "{";
  for (const auto& [key, value] : fields) {
    if (json.size() > 1) json += ", ";
    json += "\"" + std::string(key) + "\": " + shortest_number(value);
  }
  return json + "}\n";
}

std::string speed_problem_text(const SpeedResult& r) {
  std::string text = r.problem.value_or("");
  if (r.found_tone_hz)
    text += "; the recording's tone is at " + format_fixed(*r.found_tone_hz, 1) + " Hz";
  return text;
}

}  // namespace veltrane
