#include "cli/strobe_speed_command.h"

#include <sstream>
#include <string_view>

#include "cli/arguments.h"
#include "model/product_over.h"

namespace veltrane {

std::vector<StrobeRing> strobe_speed_rings(const StrobeSpeedArguments& arguments) {
  if (!arguments.rpm) throw UsageError{"strobe speed needs --rpm OUTER[,INNER]"};
  const auto hz = read_positive_number(arguments.hz);
  if (!hz)
    throw UsageError{"--hz must be a frequency in Hz, a finite number above 0, not " +
                     quoted_text(arguments.hz)};

  std::vector<std::string_view> speeds;
  std::string_view rest = *arguments.rpm;
  for (;;) {
    const auto comma = rest.find(',');
    speeds.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (speeds.size() > 2)
    throw UsageError{"--rpm takes one or two speeds, OUTER[,INNER], not " +
                     quoted_text(*arguments.rpm)};

  std::vector<StrobeRing> rings;
  for (const std::string_view text : speeds) {
    const auto speed = read_strobe_speed(text);
    if (!speed)
      throw UsageError{
          "--rpm: a speed must be a finite number of RPM above 0 (78, 16.667, 100/3 or 33 1/3), "
          "not " +
          quoted_text(text)};
    const auto ring = make_strobe_ring(*speed, *hz);
    if (!ring) {
      std::ostringstream bars;
      bars << product_over(120, *hz, *speed);
      throw UsageError{"--rpm: " + std::string(text) + " RPM under " + arguments.hz +
                       " Hz gives 120 x F / s = " + bars.str() +
                       " bars; a ring needs from 1 to 2147483647"};
    }
    rings.push_back(*ring);
  }
  return rings;
}

void report_strobe_rings(std::span<const StrobeRing> rings, std::ostream& err) {
  const char* const names[] = {"outer ring", "inner ring"};
  for (std::size_t i = 0; i < rings.size() && i < 2; ++i)
    err << describe_strobe_ring(names[i], rings[i]) << '\n';
}

}  // namespace veltrane
