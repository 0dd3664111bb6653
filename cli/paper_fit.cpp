#include "cli/paper_fit.h"

#include <algorithm>
#include <vector>

#include "template/template_page.h"

namespace veltrane {
namespace {

// The printable area in page millimetres: the page's origin is its corner.
SheetMm printable_area(Paper paper, double margin_mm) {
  const SheetMm sheet = sheet_mm(paper, template_orientation);
  return {sheet.width_mm - 2 * margin_mm, sheet.height_mm - 2 * margin_mm};
}

bool holds(const SheetMm& area, const MarkBox& box) {
  return box.left_mm >= 0 && box.top_mm >= 0 && box.right_mm <= area.width_mm &&
         box.bottom_mm <= area.height_mm;
}

bool holds_all(Paper paper, double margin_mm, const std::vector<TemplateMark>& marks) {
  const SheetMm area = printable_area(paper, margin_mm);
  return std::all_of(marks.begin(), marks.end(),
                     [&](const TemplateMark& mark) { return holds(area, mark.box); });
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

}  // namespace

std::string template_paper_warning(const ParameterSet& set, Paper paper, double margin_mm) {
  const std::vector<TemplateMark> marks = template_marks(set);
  const SheetMm area = printable_area(paper, margin_mm);
  std::vector<std::string> cut;
  for (const TemplateMark& mark : marks)
    if (!holds(area, mark.box)) cut.push_back(mark.name);
  if (cut.empty()) return {};

  std::vector<PaperSize> by_area(paper_sizes.begin(), paper_sizes.end());
  std::stable_sort(by_area.begin(), by_area.end(), [](const PaperSize& a, const PaperSize& b) {
    return a.width_mm * a.height_mm < b.width_mm * b.height_mm;
  });
  const auto roomy = std::find_if(by_area.begin(), by_area.end(), [&](const PaperSize& size) {
    return holds_all(size.paper, margin_mm, marks);
  });
  std::string warning =
      std::string(paper_size(paper).name) + " paper cuts off " + listed(cut) + "; ";
  if (roomy == by_area.end()) return warning + "no listed paper has room for every mark";
  return warning + "the smallest paper with room for every mark is " + std::string(roomy->name);
}

}  // namespace veltrane
