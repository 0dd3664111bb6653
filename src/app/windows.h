#pragma once

#include "model/parameter_set.h"
#include "ui/toolkit.h"
#include "ui/window_descriptions.h"

namespace veltrane {

/// Shows the help text in a message window with OK.
void show_help(Toolkit& toolkit);

/// Shows the summary of `set` with OK and Cancel; true for OK.
bool confirm_parameters(Toolkit& toolkit, const ParameterSet& set);

/// Runs the custom strobe dialog over `parent`; OK reads, prints and closes it.
int run_custom_strobe_dialog(Toolkit& toolkit, ParameterSet& set, Dialog& parent);

/// Runs the main window until it is closed; returns its result, 0.
int run_main_window(Toolkit& toolkit, ParameterSet& set);

/// The main window's event handler: presets, prints, help, focus memory, close.
DialogHandler main_window_handler(Toolkit& toolkit, ParameterSet& set);

}  // namespace veltrane
