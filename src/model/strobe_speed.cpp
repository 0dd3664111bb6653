#include "model/strobe_speed.h"

#include <algorithm>
#include <cmath>

#include "model/decimal_chars.h"
#include "model/number_format.h"
#include "model/product_over.h"

namespace veltrane {
namespace {

// Flashes per supply cycle (2) times seconds per minute (60).
constexpr double flashes_per_minute_per_hz = 120;

bool is_positive_number(double value) {
  return std::isfinite(value) && value > 0;
}

// Digits with an optional point and exponent, as from_chars reads them in its general form
// but without a sign; "inf", "nan" and hexadecimal are no speeds.
bool is_decimal_number(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

// Revolutions the timing note asks the user to time.
constexpr double timed_revolutions = 100;
constexpr double seconds_per_minute = 60;

std::string_view without_spaces_around(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "A/B" with A and B positive decimal numbers.
struct Fraction {
  double numerator = 0;
  double denominator = 1;
};

std::optional<Fraction> read_fraction(std::string_view text) {
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const auto numerator = read_positive_decimal(text.substr(0, slash));
  const auto denominator = read_positive_decimal(text.substr(slash + 1));
  if (!numerator || !denominator) return std::nullopt;
  return Fraction{*numerator, *denominator};
}

// A whole number of digits only, 0 included.
std::optional<double> read_whole_number(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  return parse_decimal(text);
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

std::optional<std::string> strobe_drift_text(const StrobeRing& ring) {
  const std::string bars = format_up_to_three_decimals(std::fabs(ring.drift_bars_per_20s));
  if (bars == "0") return std::nullopt;
  return std::string("must drift ") + (ring.drift_bars_per_20s > 0 ? "CW " : "CCW ") + bars +
         " bars per 20sec";
}

std::array<std::string, 2> strobe_timing_lines(double speed_rpm) {
  return {"At " + strobe_speed_text(speed_rpm) + " RPM it takes",
          format_up_to_three_decimals(timed_revolutions * seconds_per_minute / speed_rpm) +
              " sec for 100 revolutions."};
}

std::optional<double> read_finite_decimal(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  if (!is_decimal_number(text)) return std::nullopt;
  const double value = parse_decimal(text);
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<double> read_positive_decimal(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (!is_decimal_number(text)) return std::nullopt;
  const double value = parse_decimal(text);
  if (!is_positive_number(value)) return std::nullopt;
  return value;
}

std::optional<double> read_strobe_speed(std::string_view text) {
  if (text.find('/') == std::string_view::npos) return read_positive_decimal(text);
  const auto space = text.find(' ');
  const auto whole = space == std::string_view::npos ? std::optional<double>(0)
                                                     : read_whole_number(text.substr(0, space));
  const auto fraction = read_fraction(
      space == std::string_view::npos ? text : without_spaces_around(text.substr(space)));
  if (!whole || !fraction) return std::nullopt;
  // (N × B + A) ÷ B is exact up to the one rounding of the division for the whole numbers
  // people write, so "33 1/3" is the same double as "100/3".
  const double speed =
      (*whole * fraction->denominator + fraction->numerator) / fraction->denominator;
  if (!is_positive_number(speed)) return std::nullopt;
  return speed;
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
  if (const auto drift = strobe_drift_text(ring)) line += "; at " + speed + " RPM they " + *drift;
  return line;
}

}  // namespace veltrane
