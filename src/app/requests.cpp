#include "app/requests.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/read_fields.h"
#include "model/calibration.h"
#include "model/field_reading.h"
#include "model/geometry.h"
#include "model/number_format.h"
#include "model/product_over.h"

namespace veltrane {
namespace {

constexpr double no_value = std::numeric_limits<double>::quiet_NaN();

// clang-format off
constexpr Quantity pivot_q{"pivot", "pivot distance", "mm"};
constexpr Quantity inner_q{"inner", "inner groove radius", "mm"};
constexpr Quantity outer_q{"outer", "outer groove radius", "mm"};
constexpr Quantity length_q{"effective-length", "effective length", "mm"};
constexpr Quantity null_inner_q{"null-inner", "null radius", "mm"};
constexpr Quantity null_outer_q{"null-outer", "null radius", "mm"};
constexpr Quantity correction_x_q{"correction-x", "correction factor X", ""};
constexpr Quantity correction_y_q{"correction-y", "correction factor Y", ""};
constexpr Quantity margin_q{"margin", "margin", "mm"};
constexpr Quantity hz_q{"strobe-hz", "lamp frequency", "Hz"};
constexpr Quantity measured_x_q{"measured-x", "measured X length", "mm"};
constexpr Quantity measured_y_q{"measured-y", "measured Y length", "mm"};
constexpr Quantity velocity_q{"velocity", "peak lateral velocity", "mm/s"};
constexpr Quantity step_q{"step", "radius step", "mm"};
constexpr Quantity arm_length_q{"arm-length", "effective length of the arm as given", "mm"};
constexpr Quantity arm_offset_q{"arm-offset", "offset angle of the arm as given", "degrees"};
constexpr Quantity mounting_q{"mounting-error", "mounting error", ""};
// clang-format on

// A length as the words show one the program found: three decimals at most, and the shortest
// form for what three decimals would write as a long row of digits.
std::string length_text(double mm) {
  return std::fabs(mm) < 1e15 ? format_up_to_three_decimals(mm) : shortest_number(mm);
}

// The least length with three decimals that is at least `mm`.
double at_least(double mm) {
  const double rounded = std::ceil(mm * 1000) / 1000;
  return std::isfinite(rounded) && rounded >= mm ? rounded : mm;
}

// How texts the windows do not have are read: strictly where the windows' boxes are read as
// typed, else as the front end reads its other texts (the page's decimal comma too).
Reading beyond_the_window(Reading reading) {
  return reading == Reading::as_typed ? Reading::strict : reading;
}

std::string null_radii_text(double n1, double n2) {
  return "null radii " + length_text(n1) + " and " + length_text(n2) + " mm";
}

// "pivot distance 27 mm cannot reach null radii 66 and 121 mm: it must be at least 27.5 mm".
std::string cannot_reach(const Quantity& quantity, double given, double n1, double n2,
                         double least) {
  double shown = at_least(least);
  if (shown <= given) shown = (std::round(given * 1000) + 1) / 1000;
  return std::string(quantity.name) + " " + value_text(given, quantity) + " cannot reach " +
         null_radii_text(n1, n2) + ": it must be at least " + length_text(shown) + " mm";
}

// A text a page holds in `most` characters (Windows-1252, one byte each, as the window keeps
// it) that is longer: "ID text is 45 characters long: it holds at most 40". The window cuts
// such a text; strict readings say so rather than print less than was asked for.
void check_length(ProblemList& list, std::string_view field, std::string_view name,
                  const std::string& utf8, std::size_t most) {
  const std::size_t length = utf8_to_cp1252(utf8).size();
  if (length > most)
    list.add(field, std::string(name) + " is " + std::to_string(length) +
                        " characters long: it holds at most " + std::to_string(most));
}

bool all_finite(const ParameterSet& set) {
  return std::isfinite(set.effective_length) && std::isfinite(set.overhang) &&
         std::isfinite(set.offset_angle) && std::isfinite(set.inner_null_radius) &&
         std::isfinite(set.outer_null_radius);
}

// The window's fields read strictly into `set`, as read_parameters reads them the window's way.
void read_window_strictly(const ArmRequest& request, ProblemList& list, ParameterSet& set) {
  const MainWindowFields& window = request.window;
  if (request.by == ArmBy::pivot)
    set.pivot_to_spindle = list.positive(pivot_q, window.pivot, "222.5").value_or(no_value);
  const auto inner = list.positive(inner_q, window.inner_radius, "60.325");
  const auto outer = list.positive(outer_q, window.outer_radius, "146.05");
  if (inner && outer && !(*outer > *inner))
    list.add(outer_q.field, "outer groove radius " + value_text(*outer, outer_q) +
                                " must be more than the inner groove radius, " +
                                value_text(*inner, inner_q));
  set.inner_groove_radius = inner.value_or(no_value);
  set.outer_groove_radius = outer.value_or(no_value);
  set.correction_x = list.positive(correction_x_q, window.correction_x, "1.0").value_or(no_value);
  set.correction_y = list.positive(correction_y_q, window.correction_y, "1.0").value_or(no_value);
  check_length(list, "arm-id", "ID text", window.id_text, id_text_length);
}

// The pivot distance of an arm of the asked effective length, or a problem.
void pivot_for_length(const ArmRequest& request, ProblemList& list, ParameterSet& set) {
  ProblemList strict(beyond_the_window(list.reading()));
  const auto length = strict.positive(length_q, request.effective_length, "239.3");
  for (const Problem& problem : strict.problems()) list.add(problem.field, problem.words);
  if (!length) return;
  const ParameterSet nulls = with_computed_alignment(set);
  const double n1 = nulls.inner_null_radius;
  const double n2 = nulls.outer_null_radius;
  if (!std::isfinite(n1 + n2)) {
    list.add(length_q.field,
             "an arm given by its effective length needs null radii, and groove radii of " +
                 length_text(set.inner_groove_radius) + " and " +
                 length_text(set.outer_groove_radius) + " mm give none");
    return;
  }
  // The offset angle is asin((N1 + N2) / 2L): no shorter arm reaches both null radii.
  const double pivot = pivot_for_effective_length(*length, null_radii_product(set));
  if (!(*length >= (n1 + n2) / 2)) {
    list.add(length_q.field, cannot_reach(length_q, *length, n1, n2, (n1 + n2) / 2));
    return;
  }
  if (std::isnan(pivot)) {
    list.add(length_q.field, "effective length " + value_text(*length, length_q) +
                                 " is too large for a pivot distance to be computed");
    return;
  }
  set.pivot_to_spindle = pivot;
}

}  // namespace

Resolved<ParameterSet> resolve_arm(const ArmRequest& request, Reading reading) {
  ProblemList list(reading);
  ParameterSet set;
  read_parameters(set, request.window);
  if (reading != Reading::as_typed) read_window_strictly(request, list, set);
  if (request.custom_nulls) {
    ProblemList strict(beyond_the_window(reading));
    const auto n1 = strict.positive(null_inner_q, request.null_inner, "66");
    const auto n2 = strict.positive(null_outer_q, request.null_outer, "121");
    if (n1 && n2 && *n1 == *n2)
      strict.add(null_outer_q.field,
                 "the two null radii must differ, not both " + value_text(*n1, null_inner_q));
    for (const Problem& problem : strict.problems()) list.add(problem.field, problem.words);
    set.alignment = alignment_custom_nulls;
    set.custom_null_radius_1 = n1.value_or(no_value);
    set.custom_null_radius_2 = n2.value_or(no_value);
  }
  if (!list.empty()) return {std::nullopt, list.problems(), {}};

  if (request.by == ArmBy::effective_length) pivot_for_length(request, list, set);
  compute_alignment(set);
  if (list.empty() && reading != Reading::as_typed) {
    const double n1 = set.inner_null_radius;
    const double n2 = set.outer_null_radius;
    if (request.by == ArmBy::pivot && !(set.pivot_to_spindle >= (n2 - n1) / 2)) {
      list.add(pivot_q.field, cannot_reach(pivot_q, set.pivot_to_spindle, n1, n2, (n2 - n1) / 2));
    } else if (!all_finite(set)) {
      const Quantity& given = request.by == ArmBy::pivot ? pivot_q : length_q;
      list.add(
          given.field,
          std::string(given.name) + " " +
              value_text(request.by == ArmBy::pivot ? set.pivot_to_spindle : set.effective_length,
                         given) +
              " and " + null_radii_text(n1, n2) + " give an arm too large for numbers to hold");
    }
  }
  if (!list.empty()) return {std::nullopt, list.problems(), {}};
  return {set, {}, {}};
}

Resolved<ParameterSet> resolve_corrections(const MainWindowFields& window, Reading reading) {
  ProblemList list(reading);
  ParameterSet set;
  read_parameters(set, window);
  if (reading != Reading::as_typed) {
    set.correction_x = list.positive(correction_x_q, window.correction_x, "1.0").value_or(0);
    set.correction_y = list.positive(correction_y_q, window.correction_y, "1.0").value_or(0);
  }
  if (!list.empty()) return {std::nullopt, list.problems(), {}};
  return {set, {}, {}};
}

Resolved<FileTarget> resolve_print(const PrintRequest& request, Reading reading) {
  // The margin is no window's text: it is read strictly whatever the reading.
  ProblemList list(beyond_the_window(reading));
  const auto margin = list.number(margin_q, request.margin, "4");
  if (margin && !(*margin >= 0 && *margin <= max_margin_mm))
    list.add(margin_q.field,
             "margin must be from 0 to 25 mm, not " + value_text(*margin, margin_q));
  if (!list.empty()) return {std::nullopt, list.problems(), {}};
  return {FileTarget{request.format, request.dpi, request.paper, *margin + 0.0}, {}, {}};
}

Resolved<std::vector<StrobeRing>> resolve_strobe_speeds(const StrobeRequest& request) {
  ProblemList list(Reading::strict);
  const auto hz = list.positive(hz_q, request.hz, "50");
  std::vector<std::string_view> speeds;
  std::string_view rest = request.speeds;
  for (;;) {
    const auto comma = rest.find(',');
    speeds.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (speeds.size() > 2)
    list.add("strobe-rpm",
             "a disk has one or two speeds, the outer ring's first (45,33 1/3), not " +
                 quoted_text(request.speeds));
  std::vector<StrobeRing> rings;
  for (std::size_t i = 0; i < speeds.size() && i < 2 && hz; ++i) {
    const std::string_view text = speeds[i];
    const std::string_view trimmed = text;
    const auto speed = read_strobe_speed(trimmed);
    if (!speed) {
      list.add(
          "strobe-rpm",
          "a speed must be a number of RPM above 0, such as 78, 16.667, 100/3 or 33 1/3, not " +
              quoted_text(text));
      continue;
    }
    const auto ring = make_strobe_ring(*speed, *hz);
    if (!ring) {
      list.add("strobe-rpm", std::string(trimmed) + " RPM under " + shortest_number(*hz) +
                                 " Hz gives 120 x F / s = " +
                                 format_significant(product_over(120, *hz, *speed), 6) +
                                 " bars: a ring needs from 1 to 2147483647");
      continue;
    }
    rings.push_back(*ring);
  }
  if (!list.empty()) return {std::nullopt, list.problems(), {}};
  return {rings, {}, {}};
}

Resolved<ParameterSet> resolve_custom_strobe(const StrobeRequest& request, ParameterSet set,
                                             Reading reading) {
  read_custom_strobe(set, request.custom);
  ProblemList list(reading);
  if (reading != Reading::as_typed) {
    // clang-format off
    const struct { std::string_view field, name, text; std::int32_t least; std::int32_t ParameterSet::*bars; } counts[] = {
        {"strobe-outer", "outer bar count", request.custom.outer_bars, 1, &ParameterSet::custom_outer_bars},
        {"strobe-inner", "inner bar count", request.custom.inner_bars, 0, &ParameterSet::custom_inner_bars},
    };
    // clang-format on
    for (const auto& count : counts) {
      const auto value = read_typed_number(count.text, reading);
      if (!value || *value != std::floor(*value) || *value < count.least || *value > 2147483647.0) {
        list.add(count.field, std::string(count.name) + " must be a whole number from " +
                                  std::to_string(count.least) + " to 2147483647, not " +
                                  quoted_text(count.text));
      } else {
        set.*count.bars = static_cast<std::int32_t>(*value);
      }
    }
    check_length(list, "strobe-caption1", "caption line 1", request.custom.caption_1,
                 caption_length);
    check_length(list, "strobe-caption2", "caption line 2", request.custom.caption_2,
                 caption_length);
  }
  if (!list.empty()) return {std::nullopt, list.problems(), {}};
  return {set, {}, {}};
}

Resolved<Calibration> resolve_calibration(const CalibrationRequest& request, Reading reading) {
  ProblemList list(reading);
  ProblemList lengths(beyond_the_window(reading));
  const auto measured_x = lengths.positive(measured_x_q, request.measured_x, "199.5");
  const auto measured_y = lengths.positive(measured_y_q, request.measured_y, "200.5");
  for (const Problem& problem : lengths.problems()) list.add(problem.field, problem.words);
  const auto current_x = list.number(correction_x_q, request.correction_x, "1.0");
  const auto current_y = list.number(correction_y_q, request.correction_y, "1.0");
  if (!list.empty()) return {std::nullopt, list.problems(), {}};

  Resolved<Calibration> result;
  // clang-format off
  const struct { const Quantity& measured_q; const Quantity& current_q; double measured, current; std::string Calibration::*factor; char axis; } axes[] = {
      {measured_x_q, correction_x_q, *measured_x, *current_x, &Calibration::factor_x, 'X'},
      {measured_y_q, correction_y_q, *measured_y, *current_y, &Calibration::factor_y, 'Y'},
  };
  // clang-format on
  Calibration factors;
  for (const auto& axis : axes) {
    const std::string text = format_four_decimals(calibrated_factor(axis.current, axis.measured));
    factors.*axis.factor = text;
    const double factor = read_number(text);
    // A factor that reads as 0 or infinite puts the whole page off the sheet; a negative one
    // mirrors it off: most likely the current factor or the length was mistyped.
    const bool current_prints = std::isfinite(axis.current) && axis.current > 0 &&
                                read_number(format_four_decimals(axis.current)) != 0;
    const std::string why =
        current_prints
            ? std::string(axis.measured_q.name) + " " + value_text(axis.measured, axis.measured_q) +
                  " is no length the 200 mm reference can have been printed at"
            : std::string(axis.current_q.name) + " " + shortest_number(axis.current) +
                  " cannot have printed the page measured";
    std::string unusable = "correction factor " + std::string(1, axis.axis) + " " + text;
    unusable += " would print no page: ";
    unusable += why;
    const std::string_view field = current_prints ? axis.measured_q.field : axis.current_q.field;
    if (!std::isfinite(factor) || factor == 0) {
      result.problems.push_back({std::string(field), unusable});
      continue;
    }
    if (is_doubtful_measurement(axis.measured))
      result.warnings.push_back(std::string(axis.measured_q.name) + " " +
                                value_text(axis.measured, axis.measured_q) +
                                " is more than 10 % away from 200 mm: check that it was measured "
                                "from the reference line to the \"" +
                                std::string(1, axis.axis) + "=200mm\" tick, in millimetres");
    if (factor < 0) result.warnings.push_back(unusable);
  }
  if (result.problems.empty()) result.value = factors;
  return result;
}

void read_signal(std::string_view rpm, std::string_view velocity, ProblemList& list,
                 AnalysisOptions& options) {
  if (const auto speed = read_strobe_speed(rpm)) {
    options.rpm = *speed;
  } else {
    list.add("chart-rpm",
             "turntable speed must be a number of RPM above 0, such as 45, 100/3 "
             "or 33 1/3, not " +
                 quoted_text(rpm));
  }
  options.velocity_mm_per_s =
      list.positive(velocity_q, velocity, "100").value_or(options.velocity_mm_per_s);
}

Resolved<AnalysisOptions> resolve_analysis(const AnalysisRequest& request, const ParameterSet& set,
                                           std::size_t most_radii) {
  ProblemList list(Reading::strict);
  AnalysisOptions options;
  read_signal(request.rpm, request.velocity, list, options);
  const double span_mm = set.outer_groove_radius - set.inner_groove_radius;
  if (request.step) {
    const auto step = list.positive(step_q, *request.step, "0.1");
    // A step beyond the span has nothing to step over; the default step, which nobody chose,
    // then gives the two groove radii.
    if (step && std::isfinite(span_mm) && span_mm > 0 && *step > span_mm)
      list.add(step_q.field, "radius step " + value_text(*step, step_q) +
                                 " is more than the outer groove radius less the inner (" +
                                 shortest_number(set.outer_groove_radius) + " - " +
                                 shortest_number(set.inner_groove_radius) + " mm)");
    options.step_mm = step.value_or(options.step_mm);
  }
  if (list.empty() && has_too_many_radii(set.inner_groove_radius, set.outer_groove_radius,
                                         options.step_mm, most_radii))
    list.add(step_q.field, "radius step " + value_text(options.step_mm, step_q) +
                               " gives more than " + std::to_string(most_radii) +
                               " radii between the groove radii");

  if (request.arm_length.has_value() != request.arm_offset.has_value())
    list.add(request.arm_length ? arm_offset_q.field : arm_length_q.field,
             "an arm as given needs both its effective length and its offset angle");
  if (request.arm_length && request.arm_offset) {
    const auto length = list.positive(arm_length_q, *request.arm_length, "239.3");
    const auto offset = list.positive(arm_offset_q, *request.arm_offset, "23");
    if (offset && *offset > 90)
      list.add(arm_offset_q.field,
               "offset angle of the arm as given must be at most 90 "
               "degrees, not " +
                   shortest_number(*offset) + " degrees");
    else if (length && offset)
      options.as_given = ArmAsGiven{*length, *offset};
  }
  if (request.mounting_error) {
    const std::string& text = *request.mounting_error;
    const auto comma = text.find(',');
    const auto forward = comma == std::string::npos
                             ? std::nullopt
                             : read_typed_number(text.substr(0, comma), Reading::strict);
    const auto turned = comma == std::string::npos
                            ? std::nullopt
                            : read_typed_number(text.substr(comma + 1), Reading::strict);
    if (!forward || !turned) {
      list.add(mounting_q.field,
               "mounting error must be two numbers with a comma between them, "
               "mm forward and degrees turned (0.5,-1), not " +
                   quoted_text(text));
    } else {
      // The arm as mounted meets the limits of an arm as given.
      const double length = set.effective_length + *forward;
      const double offset = set.offset_angle + *turned;
      const std::string error = "mounting error " + shortest_number(*forward) + " mm, " +
                                shortest_number(*turned) + " degrees gives ";
      if (!(std::isfinite(length) && length > 0))
        list.add(mounting_q.field, error + "an effective length of " + length_text(length) +
                                       " mm as mounted: it must be more than 0 mm");
      else if (!(offset > 0 && offset <= 90))
        list.add(mounting_q.field, error + "an offset angle of " + length_text(offset) +
                                       " degrees as mounted: it must be more than 0 and at "
                                       "most 90 degrees");
      options.mounting_error = MountingError{*forward, *turned};
    }
  }
  if (!list.empty()) return {std::nullopt, list.problems(), {}};
  return {options, {}, {}};
}

}  // namespace veltrane
