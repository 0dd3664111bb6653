// The whole road from typed fields to printed pages. The input is three control bytes
// (which alignment options are checked, two bytes of printer resolution) followed by the
// texts of the main window's fields and the custom strobe dialog's fields, separated by
// NUL bytes; fields the input does not reach keep the texts the windows open with.
#include <array>

#include "fuzz/fuzz_input.h"
#include "support/page_checks.h"
#include "ui/control_ids.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veltrane;
  constexpr std::size_t header_bytes = 3;
  PipelineInput input;
  if (size >= header_bytes) {
    const std::array<int, 3> options = {id_lofgren_a, id_lofgren_b, id_stevenson_a};
    for (std::size_t i = 0; i < options.size(); ++i) {
      input.main_window.checks[options[i]] = (data[0] >> i) & 1;
    }
    input.dpi = 1 + ((data[1] | (data[2] << 8)) % 9600);
    data += header_bytes;
    size -= header_bytes;
  }
  // clang-format off
  const std::array<std::pair<FieldValues*, int>, 10> fields = {{
      {&input.main_window, id_pivot}, {&input.main_window, id_inner_radius},
      {&input.main_window, id_outer_radius}, {&input.main_window, id_correction_x},
      {&input.main_window, id_correction_y}, {&input.main_window, id_id_text},
      {&input.custom_strobe, id_outer_bars}, {&input.custom_strobe, id_inner_bars},
      {&input.custom_strobe, id_caption_1}, {&input.custom_strobe, id_caption_2}}};
  // clang-format on
  const auto texts = nul_separated(input_text(data, size));
  for (std::size_t i = 0; i < texts.size() && i < fields.size(); ++i) {
    fields[i].first->set_text(fields[i].second, texts[i]);
  }
  require_none(pipeline_problems(input, page_time_limit));
  return 0;
}
