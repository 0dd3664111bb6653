#include "cli/arguments.h"

#include "model/strobe_speed.h"

namespace veltrane {

std::optional<double> read_positive_number(std::string_view text) {
  return read_positive_decimal(text);
}

}  // namespace veltrane
