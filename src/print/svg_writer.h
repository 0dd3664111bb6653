#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "print/file_output.h"
#include "print/print_device.h"

namespace veltrane {

/// A device that writes its one page as an SVG document into `bytes` when closed: sized in
/// millimetres to the sheet of `target`, so that it shows and prints at full scale, its
/// page in the dots of `target.dpi` inset by `target.margin_mm`, `title` as its title.
std::unique_ptr<PrintDevice> make_svg_device(const FileTarget& target, std::string& bytes,
                                             std::string_view title);

}  // namespace veltrane
