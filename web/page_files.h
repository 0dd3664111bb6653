#pragma once

#include <string>

#include "model/parameter_set.h"
#include "print/paper.h"
#include "print/print_device.h"

namespace veltrane {

/// What a page is printed as: a PDF to download, or an SVG to show in the page.
enum class PageFile { pdf, svg };

/// Renders the page `print` draws (given the device opener) as a PDF or SVG on `paper`,
/// titled `title`, as veltrane-cli writes it; "" when it cannot be rendered.
std::string render_page_file(PageFile kind, Paper paper, const std::string& title,
                             const std::function<void(const PrintOpener&)>& print);

}  // namespace veltrane
