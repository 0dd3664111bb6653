#include "cli/cli.h"

#include <string>

#include "app/page_title.h"
#include "app/read_fields.h"
#include "cli/analyze.h"
#include "cli/arguments.h"
#include "cli/calibrate_command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/paper_fit.h"
#include "cli/render.h"
#include "cli/speed_command.h"
#include "cli/strobe_speed_command.h"
#include "model/standard_strobes.h"
#include "model/summary.h"
#include "model/version.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"

namespace veltrane {
namespace {

// The title of the page's PDF or SVG.
std::string page_title(const Request& request, const ParameterSet& set) {
  switch (request.command) {
    case Command::template_page:
      return template_page_title(set);
    case Command::strobe_60hz:
      return standard_strobe_page_title(60);
    case Command::strobe_50hz:
      return standard_strobe_page_title(50);
    case Command::strobe_custom:
      return custom_strobe_page_title(set.custom_outer_bars, set.custom_inner_bars);
    case Command::strobe_speed:
      return strobe_speed_page_title(request.speed_rings);
    default:
      return {};
  }
}

// The page of a template or strobe command, drawn into the bytes of its format.
std::string page_bytes(const Request& request, std::ostream& err) {
  ParameterSet set = read_arm(request.window, request.alignment);
  if (request.command == Command::strobe_custom) read_custom_strobe(set, request.custom);
  const FileTarget target{*file_format_named(*request.format), request.dpi, request.paper,
                          request.margin_mm};
  const std::string blank(caption_length, ' ');
  return render_page(target, page_title(request, set), [&](const PrintOpener& opener) {
    switch (request.command) {
      case Command::template_page: {
        print_template_page(set, opener);
        const std::string warning = template_paper_warning(set, request.paper, request.margin_mm);
        if (target.format != FileFormat::trace && !warning.empty())
          err << "veltrane-cli: warning: " << warning << '\n';
        break;
      }
      case Command::strobe_60hz:
      case Command::strobe_50hz: {
        const StandardStrobe& strobe =
            request.command == Command::strobe_60hz ? strobe_60hz : strobe_50hz;
        print_strobe_page(set, strobe.outer_bars, strobe.inner_bars, blank, blank, opener);
        break;
      }
      case Command::strobe_custom:
        print_strobe_page(set, set.custom_outer_bars, set.custom_inner_bars, set.custom_caption_1,
                          set.custom_caption_2, opener);
        break;
      case Command::strobe_speed:
        print_strobe_speed_page(set, request.speed_rings, opener);
        break;
      default:
        break;
    }
  });
}

int run_request(const Request& request, std::ostream& out, std::ostream& err) {
  if (request.command == Command::help || request.help) {
    out << help_text(request.help_commands);
    return 0;
  }
  if (request.command == Command::version) {
    out << "veltrane-cli " << version << '\n';
    return 0;
  }
  switch (request.command) {
    case Command::summary:
      out << build_parameter_summary(read_arm(request.window, request.alignment)) << '\n';
      return 0;
    case Command::calibrate:
      return run_calibrate(request.calibrate, request.window, out, err);
    case Command::analyze:
      return run_analyze(request, out, err);
    case Command::speed:
      return run_speed(request, out, err);
    default:
      report_strobe_rings(request.speed_rings, err);
      return write_output(*request.output, page_bytes(request, err), out, err);
  }
}

}  // namespace

int run_cli(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  Request request;
  try {
    parse_request(args, request);
    return run_request(request, out, err);
  } catch (const UsageError& error) {
    err << "veltrane-cli: " << error.message << '\n' << usage_line(request.command) << '\n';
    return 2;
  }
}

}  // namespace veltrane
