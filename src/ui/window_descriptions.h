#pragma once

#include <string>

#include "model/version.h"
#include "ui/toolkit.h"

namespace veltrane {

inline constexpr const char* main_window_title = program_title;
inline constexpr const char* app_icon_name = "APPICON";

/// The main window and the custom strobe dialog as the toolkit builds them.
const DialogDescription& main_window_description();
const DialogDescription& custom_strobe_description();

/// The 26-line help and about text.
std::string help_text();

}  // namespace veltrane
