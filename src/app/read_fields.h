#pragma once

#include "model/parameter_set.h"

namespace veltrane {

class Dialog;

/// Reads the main window's fields into `set` in their fixed order, keeps the previous
/// alignment when no option is checked, and computes the alignment.
void read_parameters(ParameterSet& set, const Dialog& main_window);

/// Reads the custom strobe dialog's counts and captions into `set`.
void read_custom_strobe(ParameterSet& set, const Dialog& custom_dialog);

}  // namespace veltrane
