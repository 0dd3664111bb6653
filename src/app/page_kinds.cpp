#include "app/page_kinds.h"

#include <algorithm>
#include <cassert>

#include "app/page_title.h"
#include "chart/chart_page.h"
#include "chart/speed_page.h"
#include "model/alignments.h"
#include "model/number_format.h"
#include "model/standard_strobes.h"
#include "print/paper.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"

namespace veltrane {
namespace {

// A standard disk prints no captions of its own: the page prints the standard ones.
template <const StandardStrobe& strobe>
void draw_standard_strobe(const PageInputs& inputs, const PrintOpener& open) {
  const std::string blank(caption_length, ' ');
  print_strobe_page(inputs.set, strobe.outer_bars, strobe.inner_bars, blank, blank, open);
}

std::vector<PageMark> standard_strobe_marks(const PageInputs& inputs) {
  return strobe_marks(inputs.set, {});
}

std::string_view template_name(const PageInputs& inputs) {
  return inputs.heading.empty() ? alignment_name(inputs.set.alignment)
                                : std::string_view(inputs.heading);
}

constexpr std::uint8_t strobe_needs = needs_corrections;

std::string mm_text(double mm) {
  return format_up_to_three_decimals(mm) + "mm";
}

std::string template_stem(const PageInputs& inputs) {
  const Alignment* const alignment = alignment_of(inputs.set.alignment);
  const std::string key = inputs.set.alignment == alignment_custom_nulls ? "custom-nulls"
                          : alignment ? std::string(alignment->key)
                                      : "alignment";
  return "template-" + mm_text(inputs.set.pivot_to_spindle) + "-" + key;
}

std::string strobe_speed_stem(const PageInputs& inputs) {
  std::string stem = "strobe";
  for (const StrobeRing& ring : inputs.rings)
    stem += "-" + format_up_to_three_decimals(ring.speed_rpm) + "rpm";
  if (!inputs.rings.empty()) stem += "-" + strobe_frequency_text(inputs.rings[0].supply_hz) + "hz";
  return stem;
}

std::string custom_strobe_stem(const PageInputs& inputs) {
  return "strobe-" + shortest_number(static_cast<double>(inputs.set.custom_outer_bars)) + "-" +
         shortest_number(static_cast<double>(inputs.set.custom_inner_bars)) + "-bars";
}

std::string chart_stem(const PageInputs& inputs) {
  return "analysis-" + mm_text(inputs.set.pivot_to_spindle) + "-" +
         format_up_to_three_decimals(inputs.analysis.options.rpm) + "rpm";
}

}  // namespace

// clang-format off
const std::array<PageKind, 7> page_kinds = {{
    {"template", "the template", template_orientation, needs_arm,
     [](const PageInputs& in) { return template_page_title(in.set, template_name(in)); },
     [](const PageInputs& in, const PrintOpener& open) {
       print_template_page(in.set, open, template_name(in));
     },
     [](const PageInputs& in) { return template_marks(in.set); }, template_stem},
    {"strobe-60hz", "the 60 Hz strobe disk", Orientation::portrait, strobe_needs,
     [](const PageInputs&) { return standard_strobe_page_title(60); },
     draw_standard_strobe<strobe_60hz>, standard_strobe_marks,
     [](const PageInputs&) { return std::string("strobe-60hz"); }},
    {"strobe-50hz", "the 50 Hz strobe disk", Orientation::portrait, strobe_needs,
     [](const PageInputs&) { return standard_strobe_page_title(50); },
     draw_standard_strobe<strobe_50hz>, standard_strobe_marks,
     [](const PageInputs&) { return std::string("strobe-50hz"); }},
    {"strobe-custom", "the custom strobe disk", Orientation::portrait,
     strobe_needs | needs_custom_strobe,
     [](const PageInputs& in) {
       return custom_strobe_page_title(in.set.custom_outer_bars, in.set.custom_inner_bars);
     },
     [](const PageInputs& in, const PrintOpener& open) {
       print_strobe_page(in.set, in.set.custom_outer_bars, in.set.custom_inner_bars,
                         in.set.custom_caption_1, in.set.custom_caption_2, open);
     },
     standard_strobe_marks, custom_strobe_stem},
    {"strobe-speed", "the strobe disk for speeds", Orientation::portrait,
     strobe_needs | needs_speeds,
     [](const PageInputs& in) { return strobe_speed_page_title(in.rings); },
     [](const PageInputs& in, const PrintOpener& open) {
       print_strobe_speed_page(in.set, in.rings, open);
     },
     [](const PageInputs& in) { return strobe_marks(in.set, in.rings); }, strobe_speed_stem},
    {"chart", "the chart", Orientation::landscape, needs_arm | needs_analysis,
     [](const PageInputs& in) { return analysis_page_title(in.set); },
     [](const PageInputs& in, const PrintOpener& open) {
       print_chart_page(in.set, in.analysis, open);
     },
     [](const PageInputs& in) { return chart_marks(in.set, in.analysis); }, chart_stem},
    {"speed", "the speed page", Orientation::landscape, needs_recording,
     [](const PageInputs&) { return std::string(speed_page_title); },
     [](const PageInputs& in, const PrintOpener& open) {
       print_speed_page(in.speed, in.recording, open);
     },
     [](const PageInputs&) { return speed_marks(); },
     [](const PageInputs&) { return std::string("speed"); }},
}};
// clang-format on

const PageKind* page_kind_keyed(std::string_view key) {
  for (const PageKind& kind : page_kinds)
    if (kind.key == key) return &kind;
  return nullptr;
}

const PageKind& page_kind(std::string_view key) {
  const PageKind* const kind = page_kind_keyed(key);
  assert(kind && "a page kind the program names itself");
  return kind ? *kind : page_kinds[0];
}

Resolved<ResolvedPage> resolve_page(const PageKind& kind, const PageRequest& request,
                                    Reading reading, std::size_t most_radii) {
  Resolved<ResolvedPage> result;
  const auto take = [&result](auto& part) {
    result.problems.insert(result.problems.end(), part.problems.begin(), part.problems.end());
    result.warnings.insert(result.warnings.end(), part.warnings.begin(), part.warnings.end());
    return part.value.has_value();
  };
  PageInputs inputs;
  bool ready = true;
  if (kind.needs & (needs_arm | needs_corrections)) {
    Resolved<ParameterSet> set = (kind.needs & needs_arm)
                                     ? resolve_arm(request.arm, reading)
                                     : resolve_corrections(request.arm.window, reading);
    if (take(set)) {
      inputs.set = *set.value;
    } else {
      ready = false;
    }
  }
  if (kind.needs & needs_custom_strobe) {
    Resolved<ParameterSet> custom = resolve_custom_strobe(request.strobe, inputs.set, reading);
    if (take(custom)) inputs.set = *custom.value;
    ready = ready && custom.value.has_value();
  }
  if (kind.needs & needs_speeds) {
    Resolved<std::vector<StrobeRing>> rings = resolve_strobe_speeds(request.strobe);
    if (take(rings)) inputs.rings = *rings.value;
    ready = ready && rings.value.has_value();
  }
  if ((kind.needs & needs_analysis) && ready) {
    Resolved<AnalysisOptions> options = resolve_analysis(request.analysis, inputs.set, most_radii);
    if (take(options)) {
      // The chart computes its rows again as it draws them: a million radii kept would take
      // a hundred megabytes.
      options.value->keep_rows = false;
      inputs.analysis = analyse_alignments(inputs.set, *options.value);
    }
    ready = ready && options.value.has_value();
  }
  Resolved<FileTarget> target = resolve_print(request.print, reading);
  ready = take(target) && ready;
  if (!ready) return result;
  Resolved<ResolvedPage> page = place_page(kind, std::move(inputs), *target.value);
  take(page);
  result.value = std::move(page.value);
  return result;
}

Resolved<ResolvedPage> place_page(const PageKind& kind, PageInputs inputs,
                                  const FileTarget& target) {
  Resolved<ResolvedPage> result;
  if (target.format != FileFormat::trace) {
    const std::string warning = page_paper_warning(kind, inputs, target.paper, target.margin_mm);
    if (!warning.empty()) result.warnings.push_back(warning);
  }
  result.value = ResolvedPage{std::move(inputs), target};
  return result;
}

namespace {

// The printable area in page millimetres: the page's origin is its corner.
SheetMm printable_area(Paper paper, Orientation orientation, double margin_mm) {
  const SheetMm sheet = sheet_mm(paper, orientation);
  return {sheet.width_mm - 2 * margin_mm, sheet.height_mm - 2 * margin_mm};
}

bool holds(const SheetMm& area, const MarkBox& box) {
  return box.left_mm >= 0 && box.top_mm >= 0 && box.right_mm <= area.width_mm &&
         box.bottom_mm <= area.height_mm;
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

std::string paper_warning(std::span<const PageMark> marks, Orientation orientation, Paper paper,
                          double margin_mm) {
  const SheetMm area = printable_area(paper, orientation, margin_mm);
  std::vector<std::string> cut;
  for (const PageMark& mark : marks)
    if (!holds(area, mark.box)) cut.push_back(mark.name);
  if (cut.empty()) return {};

  std::vector<PaperSize> by_area(paper_sizes.begin(), paper_sizes.end());
  std::stable_sort(by_area.begin(), by_area.end(), [](const PaperSize& a, const PaperSize& b) {
    return a.width_mm * a.height_mm < b.width_mm * b.height_mm;
  });
  const auto roomy = std::find_if(by_area.begin(), by_area.end(), [&](const PaperSize& size) {
    const SheetMm other = printable_area(size.paper, orientation, margin_mm);
    return std::all_of(marks.begin(), marks.end(),
                       [&](const PageMark& mark) { return holds(other, mark.box); });
  });
  std::string warning =
      std::string(paper_size(paper).name) + " paper cuts off " + listed(cut) + "; ";
  if (roomy == by_area.end()) return warning + "no listed paper has room for every mark";
  return warning + "the smallest paper with room for every mark is " + std::string(roomy->name);
}

std::string page_paper_warning(const PageKind& kind, const PageInputs& inputs, Paper paper,
                               double margin_mm) {
  const std::vector<PageMark> marks = kind.marks(inputs);
  return paper_warning(marks, kind.orientation, paper, margin_mm);
}

}  // namespace veltrane
