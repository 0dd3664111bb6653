#pragma once

#include <string>

#include "model/parameter_set.h"
#include "print/paper.h"

namespace veltrane {

/// What a template for `set` on `paper` loses, for one warning line: "letter paper cuts
/// off the pivot cross and the pivot label; the smallest paper with room for every mark is
/// a4". The marks are those a user needs (template_marks); the paper suggested is the
/// smallest listed one by area (ties in listed order) that holds all of them, or the line
/// says that none does. Empty when `paper` holds every mark.
std::string template_paper_warning(const ParameterSet& set, Paper paper);

}  // namespace veltrane
