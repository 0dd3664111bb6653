// How long the model and the pages take. The PDF cases need a build with the rendered
// file formats; elsewhere they report that they were skipped.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "chart/chart_page.h"
#include "cli/analysis_report.h"
#include "model/geometry.h"
#include "model/summary.h"
#include "print/file_output.h"
#include "print/trace_device.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"

namespace veltrane {
namespace {

ParameterSet initial_set() {
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  return set;
}

void compute_alignment_each(benchmark::State& state) {
  ParameterSet set = initial_set();
  set.alignment = static_cast<std::int16_t>(state.range(0));
  for ([[maybe_unused]] const auto& _ : state) {
    compute_alignment(set);
    benchmark::DoNotOptimize(set.offset_angle);
  }
}
BENCHMARK(compute_alignment_each)->Name("compute_alignment")->DenseRange(1, 3);

void summary(benchmark::State& state) {
  const ParameterSet set = initial_set();
  for ([[maybe_unused]] const auto& _ : state)
    benchmark::DoNotOptimize(build_parameter_summary(set));
}
BENCHMARK(summary)->Name("summary");

// The whole record at a step of 0.001 mm (88,551 radii), analysed and written as text.
void analysis_text_fine(benchmark::State& state) {
  const ParameterSet set = initial_set();
  AnalysisOptions options;
  options.step_mm = 0.001;
  for ([[maybe_unused]] const auto& _ : state)
    benchmark::DoNotOptimize(analysis_text(analyse_alignments(set, options)).size());
}
BENCHMARK(analysis_text_fine)->Name("analyze_text_step_0.001")->Unit(benchmark::kMillisecond);

// One page into the trace back end, the text kept in memory.
template <typename Print>
void into_trace(benchmark::State& state, const Print& print) {
  for ([[maybe_unused]] const auto& _ : state) {
    std::ostringstream out;
    print(trace_opener(out));
    benchmark::DoNotOptimize(out.str().size());
  }
}

// One page into the PDF back end at its default resolution, the file kept in memory.
template <typename Print>
void into_pdf(benchmark::State& state, const Print& print) {
  if (!rendered_formats_available()) {
    state.SkipWithError("this build has no PDF back end");
    return;
  }
  for ([[maybe_unused]] const auto& _ : state) {
    std::string bytes;
    print([&bytes](std::string_view name) {
      return make_file_device({FileFormat::pdf, default_dpi(FileFormat::pdf), Paper::a4}, bytes,
                              name);
    });
    benchmark::DoNotOptimize(bytes.size());
  }
}

// One page into the PNG back end at `dpi` (the benchmark's argument), the file in memory.
template <typename Print>
void into_png(benchmark::State& state, const Print& print) {
  if (!rendered_formats_available()) {
    state.SkipWithError("this build has no PNG back end");
    return;
  }
  const int dpi = static_cast<int>(state.range(0));
  for ([[maybe_unused]] const auto& _ : state) {
    std::string bytes;
    print([&bytes, dpi](std::string_view name) {
      return make_file_device({FileFormat::png, dpi, Paper::a4}, bytes, name);
    });
    benchmark::DoNotOptimize(bytes.size());
  }
}

const auto template_page = [](const PrintOpener& open) {
  static const ParameterSet set = initial_set();
  print_template_page(set, open);
};

const auto strobe_with = [](std::int32_t outer, std::int32_t inner) {
  return [outer, inner](const PrintOpener& open) {
    static const ParameterSet set = initial_set();
    static const std::string blank(caption_length, ' ');
    print_strobe_page(set, outer, inner, blank, blank, open);
  };
};

const auto chart_page = [](const PrintOpener& open) {
  static const ParameterSet set = initial_set();
  static const Analysis analysis = analyse_alignments(set, {});
  print_chart_page(set, analysis, open);
};

BENCHMARK_CAPTURE(into_trace, template_page, template_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_trace, chart_page, chart_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_trace, strobe_60hz, strobe_with(216, 160))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_trace, strobe_2e9_bars, strobe_with(2000000000, 2000000000))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_pdf, template_page, template_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_pdf, strobe_60hz, strobe_with(216, 160))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_pdf, chart_page, chart_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_pdf, strobe_2e9_bars, strobe_with(2000000000, 2000000000))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_png, template_page, template_page)->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_png, strobe_60hz, strobe_with(216, 160))
    ->Arg(600)
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);
// At 1200 dpi: the most bars the page draws one by one (a dot of pitch at the rim), which the
// back end paints as their band; bars whose gaps stay open, painted wedge by wedge, from
// some thousand long thin ones (the most dots of edge) to a few wide ones.
BENCHMARK_CAPTURE(into_png, strobe_24000_bars, strobe_with(24000, 18000))
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_png, strobe_5000_bars, strobe_with(5000, 4000))
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_png, strobe_3000_bars, strobe_with(3000, 2000))
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(into_png, strobe_10_bars, strobe_with(10, 7))
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrane

BENCHMARK_MAIN();
