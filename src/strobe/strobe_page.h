#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/parameter_set.h"
#include "model/strobe_speed.h"
#include "print/page_mark.h"
#include "print/print_device.h"

namespace veltrane {

/// Prints a strobe disk with the given bar counts on one portrait page, scaled by the
/// set's correction factors. The captions (36 Windows-1252 characters each) are printed
/// only for a pair of counts that is not a standard one.
void print_strobe_page(const ParameterSet& set, std::int32_t outer_bars, std::int32_t inner_bars,
                       std::string_view caption_1, std::string_view caption_2,
                       const PrintOpener& open);

/// Prints the disk for asked speeds: `rings` are its outer ring and perhaps its inner one
/// (make_strobe_ring; more are left out), drawn as a custom disk's. Each ring's caption
/// (strobe_caption, after "outer: " or "inner: " when there are two) stands centred below
/// the spindle, with the ring's drift beneath it in the 50 Hz disk's words, "(must drift CW 2
/// bars per 20sec)", unless the ring stands still at its speed. The timing note is the outer
/// ring's (strobe_timing_lines).
void print_strobe_speed_page(const ParameterSet& set, std::span<const StrobeRing> rings,
                             const PrintOpener& open);

/// Where the parts of a disk a user needs land for `set`: the outer ring (with the circle
/// around it), the inner ring and the timing note, whose middle lines are those of the
/// disk for `rings` (the standard ones without rings). Parts whose place is not a finite
/// number are left out, as the page leaves them out.
std::vector<PageMark> strobe_marks(const ParameterSet& set, std::span<const StrobeRing> rings);

}  // namespace veltrane
