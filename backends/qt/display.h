#pragma once

#include <functional>

namespace veltrane {

/// Reads an environment variable: its value, or nullptr when it is not set.
using EnvironmentReader = std::function<const char*(const char* name)>;

/// Whether Qt can be expected to find a platform to show windows on: the one named in
/// QT_QPA_PLATFORM (offscreen included), or else an X11 or Wayland display.
bool display_expected(const EnvironmentReader& environment);

/// The one line the window program prints when it cannot show its window.
inline constexpr const char* no_display_message =
    "veltrane: needs a graphical display and found none (DISPLAY and WAYLAND_DISPLAY are unset "
    "or cannot be opened); veltrane-cli works without one";

/// From here until end_platform_start(), a fatal message from Qt (no platform plugin could
/// be started, say on a display that does not answer) prints no_display_message alone and
/// ends the process with exit code 1 where Qt would abort. Qt's other messages meanwhile are
/// held back and passed on by end_platform_start().
void begin_platform_start();
void end_platform_start();

}  // namespace veltrane
