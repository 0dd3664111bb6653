#include "cli/calibrate_command.h"

#include "app/requests.h"
#include "cli/options.h"

namespace veltrane {

int run_calibrate(const Request& request, std::ostream& out, std::ostream& err) {
  const MainWindowFields& window = request.page.arm.window;
  const Resolved<Calibration> calibration = resolve_calibration(
      {*request.measured_x, *request.measured_y, window.correction_x, window.correction_y},
      reading_of(request));
  if (!calibration.value) return report_problems(request, calibration.problems, err);
  report_warnings(calibration.warnings, err);
  const Calibration& factors = *calibration.value;
  out << "correction_x = " << factors.factor_x << "\n"
      << "correction_y = " << factors.factor_y << "\n"
      << "Print the template again with them (and your other options, such as --pivot):\n"
      << "  veltrane-cli template --correction-x " << factors.factor_x << " --correction-y "
      << factors.factor_y << " -o template.pdf\n"
      << "In the window, type " << factors.factor_x << " into \"Printer Correction Factor X\" and "
      << factors.factor_y << " into \"Printer Correction Factor Y\".\n";
  return 0;  // a failed write to standard output is reported when it is closed
}

}  // namespace veltrane
