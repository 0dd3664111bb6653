#pragma once

#include <optional>
#include <ostream>

#include "app/window_fields.h"

namespace veltrane {

/// The measured lengths of the 200 mm references, as calibrate's options give them.
struct CalibrateArguments {
  std::optional<double> measured_x_mm;
  std::optional<double> measured_y_mm;
};

/// Throws UsageError when a measured length is missing.
void check_calibrate_arguments(const CalibrateArguments& arguments);

/// veltrane-cli calibrate: reads the current correction factors from `window` as the
/// window reads them, writes the new factors and how to use them to `out`, and a warning
/// line to `err` for each doubtful measurement or unusable factor. Returns the exit code.
/// A failed write to `out` is left to whoever closes it, as for the summary.
int run_calibrate(const CalibrateArguments& arguments, const MainWindowFields& window,
                  std::ostream& out, std::ostream& err);

}  // namespace veltrane
