// The form read strictly: what each field holds, and every problem in the words the page
// shows next to the field and beside the downloads it stops.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "cli/paper_fit.h"
#include "model/alignments.h"
#include "model/calibration.h"
#include "model/field_reading.h"
#include "model/geometry.h"
#include "model/number_format.h"
#include "model/strobe_speed.h"
#include "page_form.h"

namespace veltrane {
namespace {

constexpr double max_margin_mm = 25;

std::string_view trimmed(std::string_view text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The text with one decimal comma as a point, when the whole of it (blanks around it aside)
// is a plain decimal number ("-12.5e3", "222,5"); nullopt for anything else.
std::optional<std::string> plain_decimal(std::string_view text) {
  std::string number(trimmed(text));
  if (const auto comma = number.find(','); comma != std::string::npos) {
    if (number.find_first_of(",.", comma + 1) != std::string::npos ||
        number.find('.') != std::string::npos)
      return std::nullopt;
    number[comma] = '.';
  }
  std::size_t pos = !number.empty() && (number[0] == '+' || number[0] == '-') ? 1 : 0;
  std::size_t digits = 0;
  for (; pos < number.size() && is_digit(number[pos]); ++pos) ++digits;
  if (pos < number.size() && number[pos] == '.')
    for (++pos; pos < number.size() && is_digit(number[pos]); ++pos) ++digits;
  if (digits == 0) return std::nullopt;
  if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
    ++pos;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) ++pos;
    const std::size_t first = pos;
    while (pos < number.size() && is_digit(number[pos])) ++pos;
    if (pos == first) return std::nullopt;
  }
  if (pos != number.size()) return std::nullopt;
  return number;
}

// A field's text between quotes, cut when long, for a one-line problem.
std::string quoted(std::string_view text) {
  std::string shown(text.substr(0, 40));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return "'" + shown + (text.size() > 40 ? "…'" : "'");
}

// The main window's text boxes by the page's element ids.
const std::pair<std::string_view, std::string MainWindowFields::*> main_window_boxes[] = {
    {"pivot", &MainWindowFields::pivot},
    {"inner", &MainWindowFields::inner_radius},
    {"outer", &MainWindowFields::outer_radius},
    {"correction-x", &MainWindowFields::correction_x},
    {"correction-y", &MainWindowFields::correction_y},
    {"arm-id", &MainWindowFields::id_text},
};

// What a field is called in a problem, and what its number must be.
struct Field {
  std::string_view id;
  std::string_view name;
  enum Kind { positive, margin, bars, measured } kind;
};

// clang-format off
constexpr Field number_fields[] = {
    {"pivot", "the spindle to pivot distance", Field::positive},
    {"effective-length", "the effective length", Field::positive},
    {"inner", "the inner groove radius", Field::positive},
    {"outer", "the outer groove radius", Field::positive},
    {"null-inner", "the inner null radius", Field::positive},
    {"null-outer", "the outer null radius", Field::positive},
    {"correction-x", "printer correction factor X", Field::positive},
    {"correction-y", "printer correction factor Y", Field::positive},
    {"margin", "the margin", Field::margin},
    {"strobe-hz", "the mains frequency", Field::positive},
    {"strobe-outer", "the number of outer bars", Field::bars},
    {"strobe-inner", "the number of inner bars", Field::bars},
    {"measured-x", "the measured X length", Field::measured},
    {"measured-y", "the measured Y length", Field::measured},
};
// clang-format on

bool by_length() {
  return text_of("arm-by") == "length";
}

bool custom() {
  return text_of("alignment") == custom_nulls.key;
}

// Fields the current choices leave aside are not read, so they hold no problem.
bool in_use(std::string_view id) {
  if (id == "pivot") return !by_length();
  if (id == "effective-length") return by_length();
  if (id == "null-inner" || id == "null-outer") return custom();
  return true;
}

std::string number_problem(const Field& field) {
  const std::string& text = text_of(field.id);
  if (field.kind == Field::measured && trimmed(text).empty()) return {};
  const std::string name(field.name);
  const auto number = plain_decimal(text);
  if (field.kind == Field::bars) {
    const double bars = number ? read_number(*number) : -1;
    if (!(bars >= 0 && bars <= 2147483647 && bars == std::floor(bars)))
      return name + " must be a whole number from 0 to 2147483647, not " + quoted(text);
    return {};
  }
  if (!number) return name + " must be a number, not " + quoted(text);
  const double value = read_number(*number);
  if (field.kind == Field::margin) {
    if (!(value >= 0 && value <= max_margin_mm))
      return name + " must be from 0 to 25 mm, not " + quoted(text);
    return {};
  }
  if (!(value > 0 && std::isfinite(value)))
    return name + " must be a finite number greater than 0, not " + quoted(text);
  return {};
}

// Problems that only the values together show; each on the field that would mend it.
void add_relation_problems(std::string& lines, const FormTexts& problems_so_far) {
  const auto clear = [&](std::string_view id) {
    return problems_so_far.find(id) == problems_so_far.end();
  };
  if (clear("inner") && clear("outer") && !(form_number("inner") < form_number("outer")))
    lines += "outer\tthe outer groove radius must be larger than the inner one\n";
  if (custom() && clear("null-inner") && clear("null-outer") &&
      form_number("null-inner") == form_number("null-outer"))
    lines += "null-outer\tthe two null radii must differ\n";
  if (by_length() && clear("effective-length") && clear("inner") && clear("outer") &&
      (!custom() || (clear("null-inner") && clear("null-outer")))) {
    ParameterSet set = parameters();
    if (std::isnan(set.pivot_to_spindle)) {
      ParameterSet nulls = set;
      nulls.pivot_to_spindle = 1;
      compute_alignment(nulls);
      lines += "effective-length\tan arm of effective length " +
               shortest_number(form_number("effective-length")) +
               " mm cannot reach both null radii, " +
               format_three_decimals(nulls.inner_null_radius) + " and " +
               format_three_decimals(nulls.outer_null_radius) + " mm\n";
    }
  }
  if (clear("measured-x") && clear("measured-y") && !trimmed(text_of("measured-x")).empty() &&
      !trimmed(text_of("measured-y")).empty()) {
    const ParameterSet set = parameters();
    for (const auto& [axis, factor] :
         {std::pair{'x', set.correction_x}, std::pair{'y', set.correction_y}}) {
      const std::string id = std::string("measured-") + axis;
      const std::string suggested =
          format_four_decimals(calibrated_factor(factor, form_number(id)));
      const double reads = read_number(suggested);
      if (!(std::isfinite(reads) && reads > 0))
        lines += id + "\tcorrection_" + axis + " = " + suggested +
                 " prints no page: the measured length cannot be that of the 200 mm reference\n";
    }
  }
}

std::string all_problems() {
  std::string lines;
  FormTexts found;  // id -> words, to see which fields are clear
  for (const Field& field : number_fields) {
    if (!in_use(field.id)) continue;
    const std::string problem = number_problem(field);
    if (problem.empty()) continue;
    found[std::string(field.id)] = problem;
    lines += std::string(field.id) + '\t' + problem + '\n';
  }
  if (!alignment_keyed(text_of("alignment")) && !custom())
    lines += "alignment\tchoose an alignment\n";
  if (!paper_named(text_of("paper")))
    lines += "paper\tthe paper must be a4, a3, letter, legal or tabloid, not " +
             quoted(text_of("paper")) + '\n';
  if (text_of("format") != "pdf" && text_of("format") != "svg")
    lines += "format\tthe format must be pdf or svg, not " + quoted(text_of("format")) + '\n';
  if (std::isnan(form_speed("chart-rpm")))
    lines +=
        "chart-rpm\ta speed must be a finite number of RPM above 0 (78, 16.667, 100/3 or "
        "33 1/3), not " +
        quoted(text_of("chart-rpm")) + '\n';
  if (found.find("strobe-hz") == found.end()) {
    const StrobeRings rings = strobe_rings();
    if (rings.rings.empty()) lines += "strobe-rpm\t" + rings.problem + '\n';
  }
  add_relation_problems(lines, found);
  return lines;
}

// The fields each download reads.
// clang-format off
constexpr std::string_view arm_fields = " pivot effective-length inner outer null-inner null-outer alignment ";
constexpr std::string_view sheet_fields = " correction-x correction-y margin paper format ";
const std::pair<std::string_view, std::string> download_fields[] = {
    {"template", std::string(arm_fields) + std::string(sheet_fields)},
    {"strobe-60hz", std::string(sheet_fields)},
    {"strobe-50hz", std::string(sheet_fields)},
    {"strobe-speed", std::string(sheet_fields) + " strobe-rpm strobe-hz "},
    {"strobe-custom", std::string(sheet_fields) + " strobe-outer strobe-inner "},
    {"chart", std::string(arm_fields) + " chart-rpm "},
};
// clang-format on

std::string download_problem(std::string_view what) {
  const std::string* fields = nullptr;
  for (const auto& [key, names] : download_fields)
    if (key == what) fields = &names;
  if (!fields) return "there is no download called " + quoted(what);
  const std::string lines = all_problems();
  std::string_view rest = lines;
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    const std::string_view id = line.substr(0, line.find('\t'));
    if (fields->find(" " + std::string(id) + " ") != std::string::npos)
      return std::string(line.substr(id.size() + 1));
  }
  return {};
}

std::string& answer() {
  static std::string text;
  return text;
}

const char* give(std::string text) {
  answer() = std::move(text);
  return answer().c_str();
}

}  // namespace

void add_page_form_texts(FormTexts& texts) {
  const CustomStrobeFields strobe = initial_custom_strobe_fields();
  texts.insert({{"arm-by", "pivot"},
                {"effective-length", ""},
                {"margin", shortest_number(4.0)},
                {"format", "pdf"},
                {"chart-rpm", "33 1/3"},
                {"null-inner", ""},
                {"null-outer", ""},
                {"strobe-outer", strobe.outer_bars},
                {"strobe-inner", strobe.inner_bars},
                {"strobe-caption1", strobe.caption_1},
                {"strobe-caption2", strobe.caption_2}});
}

double form_number(std::string_view name) {
  const auto number = plain_decimal(text_of(name));
  return number ? read_number(*number) : std::nan("");
}

double form_speed(std::string_view name) {
  const auto number = plain_decimal(text_of(name));
  return read_strobe_speed(number ? *number : trimmed(text_of(name))).value_or(std::nan(""));
}

ParameterSet parameters() {
  MainWindowFields window;
  for (const auto& [name, text] : main_window_boxes) {
    const auto number = plain_decimal(text_of(name));
    window.*text = number && name != "arm-id" ? *number : text_of(name);
  }
  const Alignment* alignment = alignment_keyed(text_of("alignment"));
  window.alignment = alignment ? alignment->code : std::int16_t{0};
  ParameterSet set;
  read_parameters(set, window);
  if (custom()) {
    set.alignment = alignment_custom_nulls;
    set.custom_null_radius_1 = form_number("null-inner");
    set.custom_null_radius_2 = form_number("null-outer");
  }
  if (by_length())
    set.pivot_to_spindle =
        pivot_for_effective_length(form_number("effective-length"), null_radii_product(set));
  compute_alignment(set);
  return set;
}

}  // namespace veltrane

using namespace veltrane;

extern "C" {

// Every problem of the form, one a line: the field's element id, a tab, the words.
EMSCRIPTEN_KEEPALIVE const char* vt_problems() {
  return give(all_problems());
}

// "" when the download `what` can be made, else why not.
EMSCRIPTEN_KEEPALIVE const char* vt_download_problem(const char* what) {
  return give(download_problem(what));
}

// What the chosen paper and margin cut off of the download, and the smallest paper that
// holds it; "" when nothing is cut off.
EMSCRIPTEN_KEEPALIVE const char* vt_paper_warning(const char* what) {
  if (std::string_view(what) != "template" || !download_problem(what).empty()) return give({});
  return give(template_paper_warning(parameters(), chosen_paper(), form_number("margin")));
}

}  // extern "C"
