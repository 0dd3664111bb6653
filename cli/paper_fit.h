#pragma once

#include <string>

#include "model/parameter_set.h"
#include "print/paper.h"

namespace veltrane {

/// What a template for `set` on `paper` loses, for one warning line: "letter paper cuts
/// off the pivot cross and the pivot label; the smallest paper with room for every mark is
/// a4". The marks are those a user needs (template_marks); a mark must lie within the
/// printable area, the sheet less `margin_mm` at every edge (the band a printer may not
/// print). The paper suggested is the smallest listed one by area (ties in listed order)
/// that holds all of them with the same margin, or the line says that none does. Empty when
/// `paper` holds every mark.
std::string template_paper_warning(const ParameterSet& set, Paper paper, double margin_mm = 0);

}  // namespace veltrane
