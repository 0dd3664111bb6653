#pragma once

#include <cstdint>

namespace veltrane {

/// A standard strobe disk: the bar counts of its two rings, for 33 1/3 and 45 RPM under
/// lamps on the given mains, and the caption printed for each ring.
struct StandardStrobe {
  std::int32_t outer_bars = 0;
  std::int32_t inner_bars = 0;
  const char* caption_1 = "";
  const char* caption_2 = "";
};

inline constexpr StandardStrobe strobe_60hz{216, 160, "33 1/3 RPM - 60 HZ - 216 BARS",
                                            "45 RPM - 60 HZ - 160 BARS"};
inline constexpr StandardStrobe strobe_50hz{180, 133, "33 1/3 RPM - 50 HZ - 180 BARS",
                                            "45 RPM - 50 HZ - 133 BARS"};

}  // namespace veltrane
