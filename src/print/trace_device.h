#pragma once

#include <memory>
#include <ostream>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

inline constexpr int trace_default_dpi = 600;

/// A device that writes every operation as one line of text (trace format version 1),
/// so pages can be compared to the dot without a printer or a display.
std::unique_ptr<PrintDevice> make_trace_device(std::ostream& out, std::string_view document_name,
                                               int dpi = trace_default_dpi);

/// An opener that always "chooses" a trace device writing to `out`.
PrintOpener trace_opener(std::ostream& out, int dpi = trace_default_dpi);

}  // namespace veltrane
