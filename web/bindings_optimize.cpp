// The best arm within the limits the person types: found through the application layer as
// veltrane-cli optimize finds it, reported in its words, and taken into the form as custom
// null radii. The search takes some milliseconds, so the page asks for it with its previews;
// the last answer is kept for the report and for taking it.
#include <emscripten/emscripten.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/optimize.h"
#include "app/requests.h"
#include "cli/optimize_report.h"
#include "model/alignments.h"
#include "model/number_format.h"
#include "page_form.h"

namespace veltrane {
namespace {

struct Found {
  ParameterSet set;
  ArmOptimum optimum;
};

std::optional<Found>& last_found() {
  static std::optional<Found> found;
  return found;
}

OptimizeRequest optimize_request() {
  OptimizeRequest request;
  request.overhang_range = text_of("overhang-range");
  request.offset_range = text_of("offset-range");
  request.criterion =
      text_of("criterion") == criterion_key(Criterion::rms) ? Criterion::rms : Criterion::peak;
  request.rpm = text_of("chart-rpm");
  return request;
}

}  // namespace
}  // namespace veltrane

using namespace veltrane;

extern "C" {

// Finds the optimum for the form's arm and limits and keeps it; "" when found, else its
// problems, one per line: "<element id>\t<words>" (the arm's own problems stop it first).
EMSCRIPTEN_KEEPALIVE const char* vt_optimum() {
  last_found().reset();
  const Resolved<ParameterSet> arm = resolve_arm(page_request().arm, page_reading);
  Problems problems = arm.problems;
  if (arm.value) {
    const Resolved<ArmOptimum> found = resolve_optimum(optimize_request(), *arm.value);
    if (found.value) last_found() = Found{*arm.value, *found.value};
    problems = found.problems;
  }
  std::string text;
  for (const Problem& problem : problems) text += problem.field + '\t' + problem.words + '\n';
  return give(text);
}

// The kept optimum's report as veltrane-cli optimize prints it in `format` ("text" or
// "json"); "" when none was found.
EMSCRIPTEN_KEEPALIVE const char* vt_optimum_report(const char* format) {
  const std::optional<Found>& found = last_found();
  return give(found ? optimum_report(found->set, found->optimum, std::string_view(format) == "json")
                    : std::string());
}

// Why the kept optimum cannot become custom null radii ("" when it can).
EMSCRIPTEN_KEEPALIVE const char* vt_optimum_nulls_problem() {
  const std::optional<Found>& found = last_found();
  if (!found) return give("there is no optimum");
  const Resolved<PageInputs> inputs = optimum_template(found->set, found->optimum);
  return give(inputs.value ? std::string() : inputs.problems.front().words);
}

// Makes the kept optimum's two null radii the form's custom null radii at the same pivot
// distance, the arm then given by that distance; 0 when it has no two null radii.
EMSCRIPTEN_KEEPALIVE int vt_use_optimum() {
  const std::optional<Found>& found = last_found();
  if (!found || found->optimum.optimum.null_radii_mm.size() < 2) return 0;
  const std::vector<double>& nulls = found->optimum.optimum.null_radii_mm;
  if (text_of("arm-by") != "pivot") {
    set_text_of("pivot", shortest_number(found->set.pivot_to_spindle));
    set_text_of("arm-by", "pivot");
  }
  set_text_of("null-inner", shortest_number(nulls[0]));
  set_text_of("null-outer", shortest_number(nulls[1]));
  set_text_of("alignment", std::string(custom_nulls.key));
  return 1;
}

}  // extern "C"
