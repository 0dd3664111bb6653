#include "model/strobe_speed.h"

#include <cmath>

#include "model/number_format.h"
#include "model/product_over.h"

namespace veltrane {
namespace {

// Flashes per supply cycle (2) times seconds per minute (60).
constexpr double flashes_per_minute_per_hz = 120;

bool is_positive_number(double value) {
  return std::isfinite(value) && value > 0;
}

}  // namespace

std::optional<std::int32_t> strobe_bar_count(double speed_rpm, double supply_hz) {
  if (!is_positive_number(speed_rpm) || !is_positive_number(supply_hz)) return std::nullopt;
  // The default rounding mode rounds halves to even.
  const double bars = std::nearbyint(product_over(flashes_per_minute_per_hz, supply_hz, speed_rpm));
  if (!(bars >= 1 && bars <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(bars);
}

std::optional<StrobeRing> make_strobe_ring(double speed_rpm, double supply_hz) {
  const auto bars = strobe_bar_count(speed_rpm, supply_hz);
  if (!bars) return std::nullopt;
  StrobeRing ring;
  ring.speed_rpm = speed_rpm;
  ring.supply_hz = supply_hz;
  ring.bars = *bars;
  ring.standstill_rpm = product_over(flashes_per_minute_per_hz, supply_hz, *bars);
  ring.deviation_percent = (ring.standstill_rpm - speed_rpm) / speed_rpm * 100;
  // The platter turns clockwise seen from above. Between two flashes it turns on by
  // bars × s ÷ (120 × F) bar pitches; the eye sees only what is more or less than one
  // pitch, and 2 × F flashes a second make that (bars × s − 120 × F) ÷ 60 bars a second,
  // forward (clockwise) when the platter is faster than the standstill speed. For 133
  // bars at 45 RPM under 50 Hz: (5985 − 6000) ÷ 3 = −5, the 50 Hz disk's "CCW 5 bars per
  // 20sec". Both products are exact for whole speeds, so an exact ring drifts by 0.
  double drift = (*bars * speed_rpm - flashes_per_minute_per_hz * supply_hz) / 3;
  if (!std::isfinite(drift)) {
    drift = static_cast<double>((static_cast<long double>(*bars) * speed_rpm -
                                 static_cast<long double>(flashes_per_minute_per_hz) * supply_hz) /
                                3);
  }
  ring.drift_bars_per_20s = drift;
  return ring;
}

std::string strobe_speed_text(double speed_rpm) {
  if (std::fabs(speed_rpm - 100.0 / 3) <= 0.001) return "33 1/3";
  if (std::fabs(speed_rpm - 50.0 / 3) <= 0.001) return "16 2/3";
  return format_up_to_three_decimals_or_digits(speed_rpm);
}

std::string strobe_frequency_text(double supply_hz) {
  return format_up_to_three_decimals_or_digits(supply_hz);
}

std::string strobe_caption(const StrobeRing& ring) {
  return strobe_speed_text(ring.speed_rpm) + " RPM - " + strobe_frequency_text(ring.supply_hz) +
         " HZ - " + std::to_string(ring.bars) + " BARS";
}

std::string describe_strobe_ring(std::string_view ring_name, const StrobeRing& ring) {
  std::string deviation = format_three_decimals(ring.deviation_percent);
  if (deviation == "-0.000") deviation = "0.000";
  if (deviation != "0.000" && deviation.front() != '-') deviation.insert(0, "+");
  const std::string speed = format_up_to_three_decimals_or_digits(ring.speed_rpm);
  std::string line = std::string(ring_name) + ": " + std::to_string(ring.bars) +
                     " bars stand still at " +
                     format_up_to_three_decimals_or_digits(ring.standstill_rpm) + " RPM, " +
                     deviation + " % from " + speed + " RPM";
  const std::string drift = format_up_to_three_decimals(std::fabs(ring.drift_bars_per_20s));
  if (drift != "0") {
    line += "; at " + speed + " RPM they must drift " +
            (ring.drift_bars_per_20s > 0 ? "CW " : "CCW ") + drift + " bars per 20sec";
  }
  return line;
}

}  // namespace veltrane
