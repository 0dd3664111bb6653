// The whole road from typed fields to printed pages. The input is three control bytes
// (which alignment options are checked, two bytes of printer resolution) followed by the
// texts of the main window's fields and the custom strobe dialog's fields, separated by
// NUL bytes; fields the input does not reach keep the texts the windows open with.
#include <array>

#include "fuzz/fuzz_input.h"
#include "model/alignments.h"
#include "support/page_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veltrane;
  constexpr std::size_t header_bytes = 3;
  PipelineInput input;
  if (size >= header_bytes) {
    // Of the options checked, the window reads the last.
    input.main_window.alignment = 0;
    for (std::size_t i = 0; i < alignments.size(); ++i) {
      if ((data[0] >> i) & 1) input.main_window.alignment = alignments[i].code;
    }
    input.dpi = 1 + ((data[1] | (data[2] << 8)) % 9600);
    data += header_bytes;
    size -= header_bytes;
  }
  // clang-format off
  const std::array<std::string*, 10> fields = {
      &input.main_window.pivot, &input.main_window.inner_radius,
      &input.main_window.outer_radius, &input.main_window.correction_x,
      &input.main_window.correction_y, &input.main_window.id_text,
      &input.custom_strobe.outer_bars, &input.custom_strobe.inner_bars,
      &input.custom_strobe.caption_1, &input.custom_strobe.caption_2};
  // clang-format on
  const auto texts = nul_separated(input_text(data, size));
  for (std::size_t i = 0; i < texts.size() && i < fields.size(); ++i) {
    *fields[i] = texts[i];
  }
  require_none(pipeline_problems(input, page_time_limit));
  return 0;
}
