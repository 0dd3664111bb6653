#pragma once

#include "model/parameter_set.h"
#include "print/print_device.h"

namespace veltrane {

/// Prints the arc alignment template for a computed parameter set on one landscape page
/// of the device `open` chooses; nothing when it chooses none.
void print_template_page(const ParameterSet& set, const PrintOpener& open);

}  // namespace veltrane
