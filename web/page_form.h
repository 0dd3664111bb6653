#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/parameter_set.h"
#include "model/strobe_speed.h"
#include "print/paper.h"

namespace veltrane {

// The page's form as the bindings share it: every text by element id, and what the core
// reads from them.

using FormTexts = std::map<std::string, std::string, std::less<>>;

/// Everything the form holds, by element id ("alignment" and "arm-by" the checked
/// option's value).
FormTexts& form();
const std::string& text_of(std::string_view name);

/// The texts a first visit starts from beyond the main window's fields: the arm by pivot
/// distance, the margin, the format, the chart's speed and the custom strobe dialog's texts.
void add_page_form_texts(FormTexts& texts);

/// The field as a number: the whole text (blanks around it aside) a plain decimal number,
/// a single decimal comma taken as the point ("222,5" is 222.5); NaN for anything else.
double form_number(std::string_view name);

/// The parameter set the form describes: the arm by its pivot distance or by its effective
/// length, the groove radii, the alignment or custom null radii, the correction factors.
ParameterSet parameters();

Paper chosen_paper();

/// The rings of the strobe-for-any-speed form, OUTER[,INNER] speeds under the lamp's
/// supply, or why there are none.
struct StrobeRings {
  std::vector<StrobeRing> rings;
  std::string problem;
};
StrobeRings strobe_rings();

}  // namespace veltrane

namespace veltrane {

/// The chart's speed (chart-rpm) as a speed is written: "45", "33,3", "100/3", "33 1/3";
/// NaN for anything else.
double form_speed(std::string_view name);

}  // namespace veltrane

// The checks of the form, one problem a line ("<element-id>\t<words>"); why a download
// (template, strobe-60hz, strobe-50hz, strobe-speed, strobe-custom, chart) cannot be made,
// "" when it can; and what the paper and margin cut off of it, "" when nothing.
extern "C" {
const char* vt_problems();
const char* vt_download_problem(const char* what);
const char* vt_paper_warning(const char* what);
}
