// The page's one road into the core: the form's texts go in by element id, and every number,
// text, problem and page comes out of the application layer the command-line tool uses too.
// Plain C functions, so that the page's small script calls them without generated glue that
// evaluates code (the page's Content-Security-Policy allows none).
#include <emscripten/emscripten.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "app/page_kinds.h"
#include "app/render.h"
#include "app/requests.h"
#include "model/alignments.h"
#include "model/groove_presets.h"
#include "model/summary.h"
#include "page_form.h"

namespace veltrane {
namespace {

// The main window's text boxes by the page's element ids.
const std::pair<std::string_view, std::string MainWindowFields::*> main_window_boxes[] = {
    {"pivot", &MainWindowFields::pivot},
    {"inner", &MainWindowFields::inner_radius},
    {"outer", &MainWindowFields::outer_radius},
    {"correction-x", &MainWindowFields::correction_x},
    {"correction-y", &MainWindowFields::correction_y},
    {"arm-id", &MainWindowFields::id_text},
};

// The custom strobe dialog's text boxes by the page's element ids.
const std::pair<std::string_view, std::string CustomStrobeFields::*> custom_strobe_boxes[] = {
    {"strobe-outer", &CustomStrobeFields::outer_bars},
    {"strobe-inner", &CustomStrobeFields::inner_bars},
    {"strobe-caption1", &CustomStrobeFields::caption_1},
    {"strobe-caption2", &CustomStrobeFields::caption_2},
};

// Everything the form holds, by element id ("alignment" the checked option's value).
std::map<std::string, std::string, std::less<>>& form() {
  static auto texts = [] {
    const PageRequest request;
    std::map<std::string, std::string, std::less<>> initial{
        {"paper", "a4"},
        {"format", "pdf"},
        {"margin", request.print.margin},
        {"strobe-rpm", request.strobe.speeds},
        {"strobe-hz", request.strobe.hz},
        {"chart-rpm", request.analysis.rpm},
        {"measured-x", ""},
        {"measured-y", ""},
        {"arm-by", "pivot"},
        {"effective-length", request.arm.effective_length},
        {"null-inner", request.arm.null_inner},
        {"null-outer", request.arm.null_outer},
        {"overhang-range", "10,25"},
        {"offset-range", "15,30"},
        {"criterion", "peak"}};
    for (const auto& [name, text] : main_window_boxes)
      initial[std::string(name)] = request.arm.window.*text;
    for (const auto& [name, text] : custom_strobe_boxes)
      initial[std::string(name)] = request.strobe.custom.*text;
    const Alignment* alignment = alignment_of(request.arm.window.alignment);
    initial["alignment"] = alignment ? alignment->key : "";
    return initial;
  }();
  return texts;
}

}  // namespace

const std::string& text_of(std::string_view name) {
  static const std::string none;
  const auto it = form().find(name);
  return it == form().end() ? none : it->second;
}

void set_text_of(std::string_view name, std::string text) {
  form()[std::string(name)] = std::move(text);
}

// The form as the application's requests.
PageRequest page_request() {
  PageRequest request;
  for (const auto& [name, text] : main_window_boxes) request.arm.window.*text = text_of(name);
  const Alignment* alignment = alignment_keyed(text_of("alignment"));
  request.arm.window.alignment = 0;  // no option checked
  if (alignment) request.arm.window.alignment = alignment->code;
  request.arm.custom_nulls = text_of("alignment") == custom_nulls.key;
  request.arm.null_inner = text_of("null-inner");
  request.arm.null_outer = text_of("null-outer");
  request.arm.by = text_of("arm-by") == "length" ? ArmBy::effective_length : ArmBy::pivot;
  request.arm.effective_length = text_of("effective-length");
  for (const auto& [name, text] : custom_strobe_boxes) request.strobe.custom.*text = text_of(name);
  request.strobe.speeds = text_of("strobe-rpm");
  request.strobe.hz = text_of("strobe-hz");
  request.analysis.rpm = text_of("chart-rpm");
  request.print.format = text_of("format") == "svg" ? FileFormat::svg : FileFormat::pdf;
  request.print.paper = paper_named(text_of("paper")).value_or(Paper::a4);
  request.print.margin = text_of("margin");
  return request;
}

namespace {

CalibrationRequest calibration_request() {
  return {text_of("measured-x"), text_of("measured-y"), text_of("correction-x"),
          text_of("correction-y")};
}

// The calibration's problems once a length has been measured, but none for a length not yet
// typed: the other one is typed first.
Problems calibration_problems() {
  if (text_of("measured-x").empty() && text_of("measured-y").empty()) return {};
  Problems problems = resolve_calibration(calibration_request(), page_reading).problems;
  std::erase_if(problems, [](const Problem& problem) {
    return problem.field.starts_with("measured-") && text_of(problem.field).empty();
  });
  return problems;
}

// Every problem of the form, each once, in the order of the form.
Problems form_problems() {
  const PageRequest request = page_request();
  Problems problems;
  const auto add = [&problems](const Problems& more) {
    for (const Problem& problem : more)
      if (std::find(problems.begin(), problems.end(), problem) == problems.end())
        problems.push_back(problem);
  };
  const Resolved<ParameterSet> arm = resolve_arm(request.arm, page_reading);
  add(arm.problems);
  if (arm.value) add(resolve_analysis(request.analysis, *arm.value).problems);
  add(resolve_print(request.print, page_reading).problems);
  add(resolve_strobe_speeds(request.strobe).problems);
  add(resolve_custom_strobe(request.strobe, {}, page_reading).problems);
  add(calibration_problems());
  return problems;
}

// A page of `key` as an SVG to show, or "" while the form has a problem for it.
std::string preview_svg(std::string_view key) {
  const PageKind& kind = page_kind(key);
  PageRequest request = page_request();
  request.print.format = FileFormat::svg;
  const Resolved<ResolvedPage> page = resolve_page(kind, request, page_reading);
  return page.value ? render_page(kind, page.value->inputs, page.value->target) : std::string();
}

}  // namespace

const char* give(std::string text) {
  static std::string kept;
  kept = std::move(text);
  return kept.c_str();
}

}  // namespace veltrane

using namespace veltrane;

extern "C" {

EMSCRIPTEN_KEEPALIVE void vt_set(const char* name, const char* text) {
  form()[name] = text;
}

EMSCRIPTEN_KEEPALIVE const char* vt_get(const char* name) {
  return give(text_of(name));
}

// Writes a preset's radius texts into the form, as the window's buttons do; 0 for no preset.
EMSCRIPTEN_KEEPALIVE int vt_preset(const char* key) {
  const auto preset = groove_preset_named(key);
  if (!preset) return 0;
  form()["inner"] = preset->inner_mm;
  form()["outer"] = preset->outer_mm;
  return 1;
}

// The summary of the arm, or the first problem that keeps it from being computed.
EMSCRIPTEN_KEEPALIVE const char* vt_summary() {
  const Resolved<ParameterSet> arm = resolve_arm(page_request().arm, page_reading);
  return give(arm.value ? build_parameter_summary(*arm.value) : arm.problems.front().words);
}

// Every problem of the form, one per line: "<element id>\t<words>".
EMSCRIPTEN_KEEPALIVE const char* vt_problems() {
  std::string text;
  for (const Problem& problem : form_problems())
    text += problem.field + '\t' + problem.words + '\n';
  return give(text);
}

// What each ring of the disk for speeds shows at its speed, or why there is no disk.
EMSCRIPTEN_KEEPALIVE const char* vt_strobe_rings() {
  const Resolved<std::vector<StrobeRing>> rings = resolve_strobe_speeds(page_request().strobe);
  if (!rings.value) return give(rings.problems.front().words);
  const char* const names[] = {"outer ring", "inner ring"};
  std::string text;
  for (std::size_t i = 0; i < rings.value->size(); ++i)
    text += (i == 0 ? "" : "\n") + describe_strobe_ring(names[i], (*rings.value)[i]);
  return give(text);
}

EMSCRIPTEN_KEEPALIVE const char* vt_calibration() {
  if (text_of("measured-x").empty() || text_of("measured-y").empty())
    return give("Type both lengths measured on the printed template, in mm.");
  const Resolved<Calibration> calibration =
      resolve_calibration(calibration_request(), page_reading);
  if (!calibration.value) return give(calibration.problems.front().words);
  std::string text = "correction_x = " + calibration.value->factor_x +
                     "\ncorrection_y = " + calibration.value->factor_y;
  for (const std::string& warning : calibration.warnings) text += "\n" + warning + ".";
  return give(text);
}

// Puts the factors calibration suggests into the correction fields and clears the measured
// lengths (they belonged to the old factors); 0 when there are no factors to use.
EMSCRIPTEN_KEEPALIVE int vt_apply_calibration() {
  const Resolved<Calibration> calibration =
      resolve_calibration(calibration_request(), page_reading);
  if (!calibration.value) return 0;
  form()["correction-x"] = calibration.value->factor_x;
  form()["correction-y"] = calibration.value->factor_y;
  form()["measured-x"].clear();
  form()["measured-y"].clear();
  return 1;
}

EMSCRIPTEN_KEEPALIVE const char* vt_template_svg() {
  return give(preview_svg("template"));
}

}  // extern "C"
