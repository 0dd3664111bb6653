#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/page_kinds.h"
#include "print/file_output.h"
#include "print/print_device.h"

namespace veltrane {

/// The file format of that name ("pdf", "svg", "png", "trace").
std::optional<FileFormat> file_format_named(std::string_view name);

// Pages drawn into bytes. Apart from the page kinds, so that a program that only prints (the
// windows) links no file back end.

/// Runs `draw` with a printer opener whose page becomes the returned bytes: a trace, or a
/// PDF, SVG or PNG titled `title` on the target's paper, at the target's resolution (0: the
/// format's default). Empty when the back end could not paint the page.
std::string render_page(const FileTarget& target, std::string_view title,
                        const std::function<void(const PrintOpener&)>& draw);

/// The page of `kind` drawn from `inputs` onto `target`, as render_page makes it.
std::string render_page(const PageKind& kind, const PageInputs& inputs, const FileTarget& target);

}  // namespace veltrane
