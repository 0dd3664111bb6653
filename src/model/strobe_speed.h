#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

/// The bar count of a ring that stands still at `speed_rpm` under a lamp on a supply of
/// `supply_hz`. The lamp flickers twice per cycle, so the count is 120 × F ÷ s, rounded to
/// the nearest whole number (halves to even). nullopt when that is not a count from 1 to
/// the largest 32-bit one, or when an argument is not a finite number above 0.
std::optional<std::int32_t> strobe_bar_count(double speed_rpm, double supply_hz);

/// One ring of a strobe disk made for an asked speed.
struct StrobeRing {
  double speed_rpm = 0;  ///< the asked speed
  double supply_hz = 0;
  std::int32_t bars = 0;
  double standstill_rpm = 0;     ///< 120 × F ÷ bars: the speed the ring shows standing still
  double deviation_percent = 0;  ///< (standstill − asked) ÷ asked × 100
  /// Bars the pattern moves in 20 seconds with the platter at the asked speed,
  /// (bars × asked − 120 × F) ÷ 3: positive clockwise, with the platter; negative
  /// counter-clockwise.
  double drift_bars_per_20s = 0;
};

/// The ring for `speed_rpm` under `supply_hz`; nullopt where strobe_bar_count has no count.
std::optional<StrobeRing> make_strobe_ring(double speed_rpm, double supply_hz);

/// A speed as the strobe captions write it: "33 1/3" and "16 2/3" within 0.001 of 100/3
/// and 50/3, any other speed as format_up_to_three_decimals_or_digits ("78", "78.26",
/// "0.0004": never a 0 for a speed above it).
std::string strobe_speed_text(double speed_rpm);

/// A supply frequency as the strobe captions write it, as format_up_to_three_decimals_or_digits.
std::string strobe_frequency_text(double supply_hz);

/// The ring's caption in the standard captions' style: "78 RPM - 50 HZ - 77 BARS".
std::string strobe_caption(const StrobeRing& ring);

/// How the ring drifts at the asked speed, in the words of the 50 Hz disk's note: "must drift
/// CW 2 bars per 20sec", the bars to three decimals without trailing zeros; nullopt when
/// that rounds to 0, for a ring that stands still.
std::optional<std::string> strobe_drift_text(const StrobeRing& ring);

/// The middle lines of a disk's timing note for an outer ring at `speed_rpm`: "At 78 RPM it
/// takes", "76.923 sec for 100 revolutions." (6000 ÷ speed seconds, to three decimals
/// without trailing zeros; the speed as strobe_speed_text writes it).
std::array<std::string, 2> strobe_timing_lines(double speed_rpm);

/// A decimal number as the command line takes it, whole text and nothing else: an optional
/// sign, then what std::from_chars reads ("-0.5", "16.667", "1e2"); finite, else nullopt.
std::optional<double> read_finite_decimal(std::string_view text);

/// A positive decimal number as the command line takes it, whole text and nothing else: an
/// optional "+", then what std::from_chars reads ("45", "16.667", "1e2"); finite and above
/// 0, else nullopt.
std::optional<double> read_positive_decimal(std::string_view text);

/// A speed as it is written: a decimal number (read_positive_decimal), a fraction "A/B"
/// ("100/3") or a mixed number "N A/B" ("33 1/3"), N a whole number and A, B decimal
/// numbers above 0, spaces between N and A/B only. Exact speeds come out as the nearest
/// double, 100/3 for "33 1/3". nullopt for anything else, and for a speed that is not finite
/// and above 0.
std::optional<double> read_strobe_speed(std::string_view text);

/// One line, without line feed, on the speed at which the ring stands still and how far
/// that is from the asked speed, and, where the drift rounds to three decimals as anything
/// but 0, how the ring drifts at the asked speed, in the words of the 50 Hz disk's note:
/// "outer ring: 133 bars stand still at 45.113 RPM, +0.251 % from 45 RPM; at 45 RPM
/// they must drift CCW 5 bars per 20sec".
std::string describe_strobe_ring(std::string_view ring_name, const StrobeRing& ring);

}  // namespace veltrane
