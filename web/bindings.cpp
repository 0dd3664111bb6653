// The page's one road into the core: the form's texts go in by element id, and every number,
// text and page comes out of the same C++ as the command-line tool's. Plain C functions, so
// that the page's small script calls them without generated glue that evaluates code (the
// page's Content-Security-Policy allows none).
#include <emscripten/emscripten.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/page_title.h"
#include "app/read_fields.h"
#include "app/window_fields.h"
#include "chart/chart_page.h"
#include "model/alignments.h"
#include "model/analysis.h"
#include "model/calibration.h"
#include "model/field_reading.h"
#include "model/geometry.h"
#include "model/groove_presets.h"
#include "model/number_format.h"
#include "model/standard_strobes.h"
#include "model/strobe_speed.h"
#include "model/summary.h"
#include "page_files.h"
#include "page_form.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"

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

}  // namespace

FormTexts& form() {
  static auto texts = [] {
    FormTexts initial{{"paper", "a4"},
                      {"strobe-rpm", "78"},
                      {"strobe-hz", "50"},
                      {"measured-x", ""},
                      {"measured-y", ""}};
    const MainWindowFields window = initial_main_window_fields();
    for (const auto& [name, text] : main_window_boxes) initial[std::string(name)] = window.*text;
    const Alignment* alignment = alignment_of(window.alignment);
    initial["alignment"] = alignment ? alignment->key : "";
    add_page_form_texts(initial);
    return initial;
  }();
  return texts;
}

const std::string& text_of(std::string_view name) {
  static const std::string none;
  const auto it = form().find(name);
  return it == form().end() ? none : it->second;
}

Paper chosen_paper() {
  return paper_named(text_of("paper")).value_or(Paper::a4);
}

namespace {

std::string_view trimmed(std::string_view text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

// The length of the plain decimal number ("-12.5e3") that `text` begins with; 0 for none.
std::size_t decimal_length(std::string_view text) {
  std::size_t pos = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  bool digits = false;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    if (text[pos] >= '0' && text[pos] <= '9') {
      digits = true;
    } else if (text[pos] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exponent = pos + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const std::size_t first = exponent;
    while (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') ++exponent;
    if (exponent > first) pos = exponent;
  }
  return pos;
}

// Where the field reading takes less than the whole text as typed (blanks around it
// aside), or reads it as something other than a finite number: what it reads as.
std::string reading_note(std::string_view text) {
  if (trimmed(text).empty()) return {};  // an empty box says so itself
  const double value = read_number(text);
  const std::string reads_as = "reads as " + shortest_number(value);
  text = trimmed(text);
  const std::size_t length = decimal_length(text);
  if (length > 0 && length == text.size() && std::isfinite(value)) return {};
  if (length > 0 && length < text.size() && text[length] == ',')
    return reads_as + ": the decimal separator is a point";
  return reads_as;
}

// A speed as written: "78", "100/3" or "33 1/3"; nullopt for anything else.
std::optional<double> speed_of(std::string_view text) {
  return read_strobe_speed(trimmed(text));
}

struct Calibration {
  bool measured = false;
  std::string x;  // the factor texts, as calibrate prints them
  std::string y;
};

Calibration calibration() {
  const double measured_x = form_number("measured-x");
  const double measured_y = form_number("measured-y");
  const auto is_length = [](double mm) { return std::isfinite(mm) && mm > 0; };
  if (!is_length(measured_x) || !is_length(measured_y)) return {};
  const ParameterSet set = parameters();
  return {true, format_four_decimals(calibrated_factor(set.correction_x, measured_x)),
          format_four_decimals(calibrated_factor(set.correction_y, measured_y))};
}

std::string calibration_text() {
  const Calibration factors = calibration();
  if (!factors.measured) return "Type both lengths measured on the printed template, in mm.";
  std::string text = "correction_x = " + factors.x + "\ncorrection_y = " + factors.y;
  for (const auto& [axis, name] : {std::pair{"X", "measured-x"}, std::pair{"Y", "measured-y"}}) {
    if (is_doubtful_measurement(form_number(name)))
      text += "\n" + std::string(axis) +
              " is more than 10 % away from 200 mm: check that it was measured from the "
              "reference line to the \"" +
              axis + "=200mm\" tick, in millimetres.";
  }
  return text;
}

std::string dash_or(double value) {
  return std::isnan(value) ? "-" : format_three_decimals(value);
}

std::string peaks_table(const ParameterSet& set) {
  const Analysis analysis = analyse_alignments(set, AnalysisOptions{});
  std::string table;
  for (const ArmAnalysis& arm : analysis.arms) {
    table += std::string(arm.name) + '\t' + (arm.chosen ? "1" : "0") + '\t' +
             dash_or(arm.peak_tracking_error.magnitude) + '\t' +
             dash_or(arm.peak_tracking_error.radius_mm) + '\t' +
             dash_or(arm.peak_distortion.magnitude) + '\t' +
             dash_or(arm.peak_distortion.radius_mm) + '\t' + dash_or(arm.rms_distortion_percent) +
             '\n';
  }
  return table;
}

std::string& message() {
  static std::string text;
  return text;
}

}  // namespace

StrobeRings strobe_rings() {
  const double hz = form_number("strobe-hz");
  std::string_view rest = text_of("strobe-rpm");
  StrobeRings result;
  for (;;) {
    const auto comma = rest.find(',');
    const auto speed = speed_of(rest.substr(0, comma));
    const auto ring = speed ? make_strobe_ring(*speed, hz) : std::nullopt;
    if (!ring) {
      return {{},
              "A speed is a number of RPM such as 78, 100/3 or 33 1/3; with the lamp's "
              "frequency it must give from 1 to 2147483647 bars."};
    }
    result.rings.push_back(*ring);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (result.rings.size() > 2) return {{}, "One or two speeds, the outer ring's first."};
  return result;
}

namespace {

// What each ring shows at its speed, as veltrane-cli reports it.
std::string strobe_rings_text() {
  const StrobeRings found = strobe_rings();
  if (found.rings.empty()) return found.problem;
  const char* const names[] = {"outer ring", "inner ring"};
  std::string text;
  for (std::size_t i = 0; i < found.rings.size(); ++i)
    text += (i == 0 ? "" : "\n") + describe_strobe_ring(names[i], found.rings[i]);
  return text;
}

// The disk for the typed speeds, as veltrane-cli's strobe speed draws it.
std::string strobe_speed_pdf(ParameterSet set) {
  const StrobeRings found = strobe_rings();
  if (found.rings.empty()) {
    message() = found.problem;
    return {};
  }
  return render_page_file(
      PageFile::pdf, chosen_paper(), strobe_speed_page_title(found.rings),
      [&](const PrintOpener& open) { print_strobe_speed_page(set, found.rings, open); });
}

std::string download_pdf(std::string_view what) {
  message().clear();
  const ParameterSet set = parameters();
  const std::string blank(caption_length, ' ');
  if (what == "template") {
    return render_page_file(PageFile::pdf, chosen_paper(), template_page_title(set),
                            [&](const PrintOpener& open) { print_template_page(set, open); });
  }
  if (what == "strobe-60" || what == "strobe-50") {
    const bool sixty = what == "strobe-60";
    const StandardStrobe& strobe = sixty ? strobe_60hz : strobe_50hz;
    return render_page_file(
        PageFile::pdf, chosen_paper(), standard_strobe_page_title(sixty ? 60 : 50),
        [&](const PrintOpener& open) {
          print_strobe_page(set, strobe.outer_bars, strobe.inner_bars, blank, blank, open);
        });
  }
  if (what == "strobe-speed") return strobe_speed_pdf(set);
  return {};
}

// The one result the page reads after each call; valid until the next call.
std::string& result() {
  static std::string bytes;
  return bytes;
}

const char* give(std::string text) {
  result() = std::move(text);
  return result().c_str();
}

}  // namespace
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

EMSCRIPTEN_KEEPALIVE const char* vt_summary() {
  return give(build_parameter_summary(parameters()));
}

// "" when the field reads as typed, else a short note of what it reads as.
EMSCRIPTEN_KEEPALIVE const char* vt_reading_note(const char* name) {
  return give(reading_note(text_of(name)));
}

EMSCRIPTEN_KEEPALIVE const char* vt_strobe_rings() {
  return give(strobe_rings_text());
}

EMSCRIPTEN_KEEPALIVE const char* vt_calibration() {
  return give(calibration_text());
}

// Puts the factors calibration suggests into the correction fields and clears the measured
// lengths (they belonged to the old factors); 0 when there are no factors yet.
EMSCRIPTEN_KEEPALIVE int vt_apply_calibration() {
  const Calibration factors = calibration();
  if (!factors.measured) return 0;
  form()["correction-x"] = factors.x;
  form()["correction-y"] = factors.y;
  form()["measured-x"].clear();
  form()["measured-y"].clear();
  return 1;
}

EMSCRIPTEN_KEEPALIVE const char* vt_template_svg() {
  const ParameterSet set = parameters();
  return give(render_page_file(PageFile::svg, chosen_paper(), template_page_title(set),
                               [&](const PrintOpener& open) { print_template_page(set, open); }));
}

EMSCRIPTEN_KEEPALIVE const char* vt_chart_svg() {
  const ParameterSet set = parameters();
  const Analysis analysis = analyse_alignments(set, AnalysisOptions{});
  return give(
      render_page_file(PageFile::svg, Paper::a4, analysis_page_title(set),
                       [&](const PrintOpener& open) { print_chart_page(set, analysis, open); }));
}

// One line per arm, tab-separated: name, chosen ("1" or "0"), peak tracking error in degrees
// and its radius, peak distortion in % and its radius, RMS distortion in %.
EMSCRIPTEN_KEEPALIVE const char* vt_peaks() {
  return give(peaks_table(parameters()));
}

// Renders a download ("template", "strobe-60", "strobe-50", "strobe-speed") into the
// result; its size in bytes, 0 when there is no page (vt_message then says why).
EMSCRIPTEN_KEEPALIVE int vt_download(const char* what) {
  result() = download_pdf(what);
  if (result().empty() && message().empty()) message() = "This build writes no PDF.";
  return static_cast<int>(result().size());
}

EMSCRIPTEN_KEEPALIVE const char* vt_result() {
  return result().data();
}

EMSCRIPTEN_KEEPALIVE const char* vt_message() {
  return message().c_str();
}

}  // extern "C"
