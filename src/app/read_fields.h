#pragma once

#include "app/window_fields.h"
#include "model/parameter_set.h"

namespace veltrane {

/// Reads the main window's fields into `set` in their fixed order, keeps the previous
/// alignment when no option is checked, and computes the alignment.
void read_parameters(ParameterSet& set, const MainWindowFields& fields);

/// Reads the custom strobe dialog's counts and captions into `set`.
void read_custom_strobe(ParameterSet& set, const CustomStrobeFields& fields);

}  // namespace veltrane
