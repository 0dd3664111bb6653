#pragma once

#include <cstdint>
#include <string_view>

#include "model/parameter_set.h"
#include "print/print_device.h"

namespace veltrane {

/// Prints a strobe disk with the given bar counts on one portrait page, scaled by the
/// set's correction factors. The captions (36 Windows-1252 characters each) are printed
/// only for a pair of counts that is not a standard one.
void print_strobe_page(const ParameterSet& set, std::int32_t outer_bars, std::int32_t inner_bars,
                       std::string_view caption_1, std::string_view caption_2,
                       const PrintOpener& open);

}  // namespace veltrane
