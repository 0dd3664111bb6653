#include "cli/calibrate_command.h"

#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

#include "app/read_fields.h"
#include "cli/arguments.h"
#include "model/calibration.h"
#include "model/field_reading.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

struct Axis {
  char name;  // 'x' or 'y'
  double measured_mm;
  double current_factor;
  std::string new_factor_text;
};

std::string number_text(double value) {
  std::ostringstream text;
  text << std::setprecision(10) << value;
  return text.str();
}

void warn_about(const Axis& axis, std::ostream& err) {
  if (is_doubtful_measurement(axis.measured_mm)) {
    err << "veltrane-cli: warning: --measured-" << axis.name << " " << number_text(axis.measured_mm)
        << " mm is more than 10 % away from 200 mm: check that it was measured from the "
           "reference line to the \""
        << static_cast<char>(axis.name - 'a' + 'A') << "=200mm\" tick, in millimetres\n";
  }
  // A factor that reads as 0, negative or infinite puts the whole page off the sheet, so
  // no measured print can have come from it: most likely the current factor was mistyped.
  const double reread = read_number(axis.new_factor_text);
  if (!(std::isfinite(reread) && reread > 0)) {
    err << "veltrane-cli: warning: correction_" << axis.name << " = " << axis.new_factor_text
        << " prints no page: --correction-" << axis.name << " reads as "
        << number_text(axis.current_factor) << ", which cannot have printed the page measured\n";
  }
}

}  // namespace

void check_calibrate_arguments(const CalibrateArguments& arguments) {
  if (!arguments.measured_x_mm || !arguments.measured_y_mm)
    throw UsageError{"calibrate needs --measured-x MM and --measured-y MM"};
}

int run_calibrate(const CalibrateArguments& arguments, const MainWindowFields& window,
                  std::ostream& out, std::ostream& err) {
  ParameterSet set;
  read_parameters(set, window);
  const auto axis = [](char name, double measured_mm, double current_factor) {
    return Axis{name, measured_mm, current_factor,
                format_four_decimals(calibrated_factor(current_factor, measured_mm))};
  };
  const Axis x = axis('x', *arguments.measured_x_mm, set.correction_x);
  const Axis y = axis('y', *arguments.measured_y_mm, set.correction_y);
  warn_about(x, err);
  warn_about(y, err);
  out << "correction_x = " << x.new_factor_text << "\n"
      << "correction_y = " << y.new_factor_text << "\n"
      << "Print the template again with them (and your other options, such as --pivot):\n"
      << "  veltrane-cli template --correction-x " << x.new_factor_text << " --correction-y "
      << y.new_factor_text << " -o template.pdf\n"
      << "In the window, type " << x.new_factor_text << " into \"Printer Correction Factor X\" and "
      << y.new_factor_text << " into \"Printer Correction Factor Y\".\n";
  return 0;  // a failed write to standard output is reported when it is closed
}

}  // namespace veltrane
