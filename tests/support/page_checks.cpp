#include "support/page_checks.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

#include "app/read_fields.h"
#include "model/standard_strobes.h"
#include "model/summary.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"

namespace veltrane {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const auto at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::optional<long long> whole_number(std::string_view word) {
  long long value = 0;
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  if (result.ec != std::errc() || result.ptr != word.data() + word.size()) return std::nullopt;
  return value;
}

bool is_coordinate(std::string_view word) {
  const auto value = whole_number(word);
  return value && *value >= -max_page_coordinate && *value <= max_page_coordinate;
}

bool is_finite_angle(std::string_view word) {
  float value = 0;
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  return result.ec == std::errc() && result.ptr == word.data() + word.size() &&
         std::isfinite(value);
}

// A JSON string as the trace writes it: quoted, with backslash escapes.
bool is_quoted(std::string_view text) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  text = text.substr(1, text.size() - 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') return false;
    if (text[i] == '\\' && ++i == text.size()) return false;
  }
  return true;
}

// The problem with one operation line, or an empty text when it is sound.
std::string operation_problem(std::string_view line) {
  const std::vector<std::string_view> words = split(line, ' ');
  const std::string_view op = words.front();
  const auto coordinates = [&](std::size_t first, std::size_t count) {
    for (std::size_t i = first; i < first + count; ++i) {
      if (i >= words.size() || !is_coordinate(words[i])) return false;
    }
    return true;
  };
  if (op == "move" || op == "line") {
    return words.size() == 3 && coordinates(1, 2) ? "" : "coordinate out of range";
  }
  if (op == "ellipse") {
    const bool colour = words.size() == 7 && (words[5] == "black" || words[5] == "white") &&
                        (words[6] == "solid" || words[6] == "hollow");
    return colour && coordinates(1, 4) ? "" : "ellipse box out of range";
  }
  if (op == "arc" || op == "pie") {
    const bool angles = words.size() == 7 && is_finite_angle(words[5]) && is_finite_angle(words[6]);
    return angles && coordinates(1, 4) ? "" : "box out of range or angle not finite";
  }
  if (op == "pen") return words.size() == 2 && whole_number(words[1]) ? "" : "bad pen";
  if (op == "font") {
    return words.size() == 4 && words[1] == "Arial" ? "" : "unexpected font";
  }
  if (op == "text") {
    const std::string_view text = line.substr(5);
    if (!is_quoted(text)) return "text not quoted";
    if (!is_valid_utf8(text)) return "text not UTF-8";
    return text.size() <= max_text_bytes ? "" : "text too long";
  }
  return "unknown operation";
}

std::size_t code_points(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

}  // namespace

bool is_three_decimal_text(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  if (text == "inf") return true;
  const auto point = text.find('.');
  if (point == std::string_view::npos || point == 0 || text.size() - point != 4) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != point && (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

bool is_valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07u;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::vector<std::string> trace_problems(std::string_view trace) {
  std::vector<std::string> problems;
  if (!trace.ends_with('\n')) {
    problems.emplace_back("trace does not end with a line feed");
    return problems;
  }
  const std::vector<std::string_view> lines = split(trace.substr(0, trace.size() - 1), '\n');
  if (lines.size() > max_page_operations) {
    problems.push_back(std::to_string(lines.size()) + " operations on one page");
  }
  if (lines.size() < 3 || lines.front() != "open \"Print Job\"" || !lines[1].starts_with("page ") ||
      lines.back() != "close") {
    problems.emplace_back("not one document of one page");
    return problems;
  }
  for (std::size_t i = 2; i + 1 < lines.size() && problems.size() < 10; ++i) {
    const std::string problem = operation_problem(lines[i]);
    if (!problem.empty()) problems.push_back(problem + ": " + std::string(lines[i].substr(0, 200)));
  }
  return problems;
}

std::vector<std::string> summary_problems(std::string_view summary) {
  // clang-format off
  static constexpr std::string_view captions[] = {
      "ID = ", "Inner groove radius = ", "Outer groove radius = ", "Pivot to spindle distance = ",
      "Inner null radius = ", "Outer null radius = ", "Effective length = ", "Overhang = ",
      "Offset angle = "};
  // clang-format on
  std::vector<std::string> problems;
  if (!is_valid_utf8(summary)) problems.emplace_back("summary not UTF-8");
  const std::vector<std::string_view> lines = split(summary, '\n');
  if (lines.size() != std::size(captions)) {
    problems.push_back("summary has " + std::to_string(lines.size()) + " lines");
    return problems;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (!line.starts_with(captions[i])) {
      problems.push_back("summary line " + std::to_string(i + 1) + " lacks its caption");
      continue;
    }
    line.remove_prefix(captions[i].size());
    if (i == 0) {
      if (code_points(line) != id_text_length) problems.emplace_back("ID is not 40 characters");
      continue;
    }
    if (i + 1 == lines.size()) {
      if (!line.ends_with("\u00B0")) problems.emplace_back("offset angle lacks its degree sign");
      line.remove_suffix(std::string_view("\u00B0").size());
    }
    if (!is_three_decimal_text(line)) {
      problems.push_back("summary line " + std::to_string(i + 1) +
                         " is not three-decimal: " + std::string(line.substr(0, 60)));
    }
  }
  return problems;
}

std::vector<std::string> pipeline_problems(const PipelineInput& input,
                                           std::chrono::milliseconds time_limit) {
  std::vector<std::string> problems;
  ParameterSet set;
  read_parameters(set, input.main_window);
  for (const std::string& problem : summary_problems(build_parameter_summary(set))) {
    problems.push_back(problem);
  }

  const auto check_page = [&](const char* name, const auto& print) {
    std::ostringstream trace;
    const auto start = std::chrono::steady_clock::now();
    print(trace_opener(trace, input.dpi));
    const auto took = std::chrono::steady_clock::now() - start;
    if (took > time_limit) {
      problems.push_back(
          std::string(name) + " took " +
          std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) +
          " ms");
    }
    for (const std::string& problem : trace_problems(trace.str())) {
      problems.push_back(std::string(name) + ": " + problem);
    }
  };
  const std::string blank(caption_length, ' ');
  check_page("template", [&](const PrintOpener& open) { print_template_page(set, open); });
  for (const TemplateMark& mark : template_marks(set)) {
    const MarkBox& box = mark.box;
    // The paper check compares these with the sheet: a box must be finite and not inside out.
    if (!(std::isfinite(box.left_mm) && std::isfinite(box.top_mm) && std::isfinite(box.right_mm) &&
          std::isfinite(box.bottom_mm) && box.left_mm <= box.right_mm &&
          box.top_mm <= box.bottom_mm))
      problems.push_back("template: " + mark.name + " has no proper box");
  }
  check_page("60 Hz strobe", [&](const PrintOpener& open) {
    print_strobe_page(set, strobe_60hz.outer_bars, strobe_60hz.inner_bars, blank, blank, open);
  });
  check_page("50 Hz strobe", [&](const PrintOpener& open) {
    print_strobe_page(set, strobe_50hz.outer_bars, strobe_50hz.inner_bars, blank, blank, open);
  });
  read_custom_strobe(set, input.custom_strobe);
  check_page("custom strobe", [&](const PrintOpener& open) {
    print_strobe_page(set, set.custom_outer_bars, set.custom_inner_bars, set.custom_caption_1,
                      set.custom_caption_2, open);
  });
  return problems;
}

}  // namespace veltrane
