#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "print/file_output.h"
#include "print/print_device.h"

namespace veltrane {

/// The file format called `name` on the command line ("pdf", "svg", "png", "trace").
std::optional<FileFormat> file_format_named(std::string_view name);

/// Runs `draw` with a printer opener whose page becomes the returned bytes: a trace, or a
/// PDF, SVG or PNG titled `title` on the target's paper, at the target's resolution (0: the
/// format's default). Empty when the back end could not paint the page.
std::string render_page(const FileTarget& target, std::string_view title,
                        const std::function<void(const PrintOpener&)>& draw);

}  // namespace veltrane
