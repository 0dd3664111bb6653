#include "cli/cli.h"

#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "app/field_values.h"
#include "app/read_fields.h"
#include "cli/analyze.h"
#include "cli/arguments.h"
#include "cli/calibrate_command.h"
#include "cli/output_file.h"
#include "cli/page_title.h"
#include "cli/paper_fit.h"
#include "cli/standard_output.h"
#include "cli/strobe_speed_command.h"
#include "model/standard_strobes.h"
#include "model/summary.h"
#include "print/file_output.h"
#include "print/trace_device.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

constexpr std::string_view usage_line =
    "usage: veltrane-cli summary|template|calibrate|analyze|strobe 60hz|50hz|custom|speed "
    "[OPTIONS] (see --help)";

constexpr std::string_view help_text =
    R"(veltrane-cli: alignment summaries, arc alignment templates, printer calibration and
strobe disks.

usage:
  veltrane-cli summary  [FIELDS]
  veltrane-cli template [FIELDS] [OUTPUT] -o FILE
  veltrane-cli strobe 60hz|50hz [CORRECTION] [OUTPUT] -o FILE
  veltrane-cli strobe custom [--outer TEXT] [--inner TEXT] [--caption1 TEXT]
                             [--caption2 TEXT] [CORRECTION] [OUTPUT] -o FILE
  veltrane-cli strobe speed --rpm OUTER[,INNER] [--hz F] [CORRECTION] [OUTPUT] -o FILE
  veltrane-cli calibrate --measured-x MM --measured-y MM [CORRECTION]
  veltrane-cli analyze [FIELDS] [--rpm N] [--velocity N] [--step N]
                       [--arm-length N --arm-offset N] [--format FORMAT] [-o FILE]
  veltrane-cli --help

Every TEXT is read exactly as the window reads what is typed into its box: the
leading number of the text, else 0 ("abc" reads as 0); nothing is rejected.
An option left out takes the window's initial text.

FIELDS (the main window):
  --pivot TEXT          spindle to pivot distance, mm (209)
  --inner TEXT          inner groove radius, mm (57.5)
  --outer TEXT          outer groove radius, mm (146.05)
  --alignment NAME      lofgren-a (the default), lofgren-b or stevenson-a
  --correction-x TEXT   printer correction factor X (1.0)
  --correction-y TEXT   printer correction factor Y (1.0)
  --id TEXT             arm or turntable ID, first 40 characters (empty)

CORRECTION: --correction-x TEXT and --correction-y TEXT, as above.

strobe custom (the custom strobe dialog):
  --outer TEXT          number of outer bars (216)
  --inner TEXT          number of inner bars (160)
  --caption1 TEXT       caption line 1 ("33 1/3 RPM - 60 HZ - 216 BARS")
  --caption2 TEXT       caption line 2 ("45 RPM - 60 HZ - 160 BARS")
The pairs 216/160 and 180/133 print their standard captions instead.

strobe speed (a disk for any speed and lamp):
  --rpm OUTER[,INNER]   the speed of the outer ring, and of the inner one, in RPM
  --hz F                supply frequency of the lamp in Hz (50); lamps flicker at 2 F
A ring for speed s has 120 x F / s bars, rounded to the nearest whole number (ties to
even). The page is the custom disk with these counts and captions such as "78 RPM -
50 HZ - 77 BARS" ("33 1/3" and "16 2/3" within 0.001 of them; other numbers with up to
three decimals, or, below 0.0005, three significant digits: "0.0004"); one speed leaves the inner ring without bars and its caption blank. A
caption longer than 36 characters is cut, and 216/160 and 180/133 print the standard
captions, as the custom disk does. Standard error gets one line per ring: the speed at
which it stands still (120 x F / bars), how far that is from the asked speed in percent,
and unless it rounds to 0 the drift at the asked speed in bars per 20 seconds (to three
decimals), CW with the platter when the platter is faster than the standstill speed, CCW
when slower: "45 RPM ... must drift CCW 5 bars per 20sec" under 50 Hz. Speeds and F are
plain numbers, finite and above 0, and each ring needs from 1 to 2147483647 bars.

calibrate (printer correction factors):
  --measured-x MM       on a printed template, from the left reference line to the
                        "X=200mm" tick, measured with a steel rule
  --measured-y MM       from the top reference line to the "Y=200mm" tick
  --correction-x/-y     the factors that template was printed with (1.0), read as above
Writes "correction_x = N" and "correction_y = N", each current factor x 200 / measured
with four decimals, then the template command and the window's boxes to use them. MM
are plain numbers, finite and above 0; a length more than 10 % away from 200 mm gets
a warning on standard error (likely a measuring mistake), and the result is still given.
A factor that would be infinite or 0.0000 prints no page: it is refused in one line
naming the length or factor that gave it, with exit code 2.

OUTPUT:
  -o, --output FILE     where the page goes; "-" is standard output
  --format FORMAT       pdf, svg, png or trace; by default from FILE's extension
  --dpi N               resolution, 1 to 9600 (png: to 1200); defaults:
                        pdf 600, svg 600, png 300, trace 600
  --paper PAPER         paper of pdf, svg and png: a4 (the default), a3, letter,
                        legal or tabloid; the page is never scaled or moved, and
                        a template whose marks the sheet cuts off gets a warning
                        naming them and the smallest paper with room for them

An option's value may follow as the next word (even one starting with "-") or
after "=": --pivot=-3. summary prints the nine-line confirmation text. The
pages are drawn as on a printer whose printable area is the whole sheet. A PDF
asks viewers to print it at actual size, and a PDF or SVG is titled by its
page: "Arc template 209 mm, Löfgren A" (the distance with up to three
decimals), "Strobe disk 50 Hz", "Strobe disk 100/72 bars". The trace lists
every drawing operation in device dots. A file is written whole or
not at all: a file is replaced atomically (keeping its mode), a symlink is
followed, a FIFO or device is written straight through. Exit codes: 0 done,
2 a mistake in the arguments or an output that cannot be written (a file,
or standard output when writing or closing it fails, e.g. a full disk).
)";

// What the command line asks for; a strobe command's kind of disk is part of it.
enum class Command {
  help,
  summary,
  template_page,
  strobe_60hz,
  strobe_50hz,
  strobe_custom,
  strobe_speed,
  calibrate,
};

struct Request {
  Command command = Command::help;
  std::string command_name;  ///< as typed, for the messages
  FieldValues window = initial_main_window_fields();
  FieldValues custom = initial_custom_strobe_fields();
  CalibrateArguments calibrate;
  StrobeSpeedArguments speed;
  std::vector<StrobeRing> speed_rings;
  std::optional<FileFormat> format;
  int dpi = 0;
  Paper paper = Paper::a4;
  std::optional<std::string> output;
};

// Every command but the summary and calibrate writes a page.
bool writes_page(Command command) {
  return command != Command::help && command != Command::summary && command != Command::calibrate;
}

std::optional<FileFormat> format_named(std::string_view name) {
  if (name == "pdf") return FileFormat::pdf;
  if (name == "svg") return FileFormat::svg;
  if (name == "png") return FileFormat::png;
  if (name == "trace") return FileFormat::trace;
  return std::nullopt;
}

std::optional<FileFormat> format_of_file(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return format_named(extension);
}

int parse_dpi(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 9600) {
      value = -1;
      break;
    }
    value = value * 10 + (c - '0');
  }
  if (text.empty() || value < 1 || value > 9600)
    throw UsageError{"--dpi must be a whole number from 1 to 9600, not '" + std::string(text) +
                     "'"};
  return value;
}

using OptionHandler = std::function<void(Request&, std::string_view)>;

std::map<std::string, OptionHandler, std::less<>> options_for(const Request& request) {
  std::map<std::string, OptionHandler, std::less<>> options;
  const auto window_text = [](int id) {
    return [id](Request& r, std::string_view v) { r.window.set_text(id, v); };
  };
  const auto custom_text = [](int id) {
    return [id](Request& r, std::string_view v) { r.custom.set_text(id, v); };
  };
  options["--correction-x"] = window_text(id_correction_x);
  options["--correction-y"] = window_text(id_correction_y);
  if (request.command == Command::summary || request.command == Command::template_page) {
    options["--pivot"] = window_text(id_pivot);
    options["--inner"] = window_text(id_inner_radius);
    options["--outer"] = window_text(id_outer_radius);
    options["--id"] = window_text(id_id_text);
    options["--alignment"] = [](Request& r, std::string_view v) {
      int id = 0;
      if (v == "lofgren-a") id = id_lofgren_a;
      if (v == "lofgren-b") id = id_lofgren_b;
      if (v == "stevenson-a") id = id_stevenson_a;
      if (id == 0)
        throw UsageError{"--alignment must be lofgren-a, lofgren-b or stevenson-a, not '" +
                         std::string(v) + "'"};
      r.window.set_option(id_lofgren_a, id_stevenson_a, id);
    };
  }
  if (request.command == Command::calibrate) {
    options["--measured-x"] = [](Request& r, std::string_view v) {
      r.calibrate.measured_x_mm = measured_length_argument("--measured-x", v);
    };
    options["--measured-y"] = [](Request& r, std::string_view v) {
      r.calibrate.measured_y_mm = measured_length_argument("--measured-y", v);
    };
  }
  if (request.command == Command::strobe_speed) {
    options["--rpm"] = [](Request& r, std::string_view v) { r.speed.rpm = std::string(v); };
    options["--hz"] = [](Request& r, std::string_view v) { r.speed.hz = std::string(v); };
  }
  if (request.command == Command::strobe_custom) {
    options["--outer"] = custom_text(id_outer_bars);
    options["--inner"] = custom_text(id_inner_bars);
    options["--caption1"] = custom_text(id_caption_1);
    options["--caption2"] = custom_text(id_caption_2);
  }
  if (writes_page(request.command)) {
    const auto output = [](Request& r, std::string_view v) { r.output = std::string(v); };
    options["-o"] = output;
    options["--output"] = output;
    options["--format"] = [](Request& r, std::string_view v) {
      r.format = format_named(v);
      if (!r.format)
        throw UsageError{"--format must be pdf, svg, png or trace, not '" + std::string(v) + "'"};
    };
    options["--dpi"] = [](Request& r, std::string_view v) { r.dpi = parse_dpi(v); };
    options["--paper"] = [](Request& r, std::string_view v) {
      const std::optional<Paper> paper = paper_named(v);
      if (!paper)
        throw UsageError{"--paper must be a4, a3, letter, legal or tabloid, not '" +
                         std::string(v) + "'"};
      r.paper = *paper;
    };
  }
  return options;
}

Request parse(std::span<const std::string_view> args) {
  Request request;
  std::size_t i = 0;
  if (i >= args.size()) throw UsageError{"no command given"};
  request.command_name = std::string(args[i++]);
  const std::string& name = request.command_name;
  if (name == "--help" || name == "-h") {
    request.command = Command::help;
    return request;
  }
  if (name == "summary") {
    request.command = Command::summary;
  } else if (name == "template") {
    request.command = Command::template_page;
  } else if (name == "calibrate") {
    request.command = Command::calibrate;
  } else if (name == "strobe") {
    if (i >= args.size()) throw UsageError{"strobe needs 60hz, 50hz, custom or speed"};
    const std::string_view kind = args[i++];
    if (kind == "60hz") {
      request.command = Command::strobe_60hz;
    } else if (kind == "50hz") {
      request.command = Command::strobe_50hz;
    } else if (kind == "custom") {
      request.command = Command::strobe_custom;
    } else if (kind == "speed") {
      request.command = Command::strobe_speed;
    } else {
      throw UsageError{"strobe needs 60hz, 50hz, custom or speed, not '" + std::string(kind) + "'"};
    }
  } else {
    throw UsageError{"unknown command '" + name + "'"};
  }
  const auto options = options_for(request);
  while (i < args.size()) {
    const std::string_view word = args[i++];
    if (word == "--help" || word == "-h") {
      request.command = Command::help;
      return request;
    }
    const auto equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    const auto option = options.find(name);
    if (option == options.end()) {
      throw UsageError{(name.starts_with("-") ? "unknown option '" : "unexpected argument '") +
                       std::string(name) + "' for " + request.command_name};
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = word.substr(equals + 1);
    } else if (i < args.size()) {
      value = args[i++];
    } else {
      throw UsageError{"option '" + std::string(name) + "' needs a value"};
    }
    option->second(request, value);
  }
  if (request.command == Command::calibrate) check_calibrate_arguments(request.calibrate);
  if (request.command == Command::strobe_speed) {
    request.speed_rings = strobe_speed_rings(request.speed);
    fill_custom_strobe_fields(request.speed_rings, request.custom);
  }
  if (writes_page(request.command)) {
    if (!request.output)
      throw UsageError{"no output given: use -o FILE, or -o - for standard output"};
    if (!request.format) request.format = format_of_file(*request.output);
    if (!request.format)
      throw UsageError{
          "no format: use --format, or an output file ending in .pdf, .svg, .png or .trace"};
    if (*request.format == FileFormat::png && request.dpi > 1200)
      throw UsageError{"--dpi for png must be from 1 to 1200"};
    if (*request.format != FileFormat::trace && !rendered_formats_available())
      throw UsageError{"this build writes only the trace format"};
  }
  return request;
}

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
    case Command::help:
    case Command::summary:
    case Command::calibrate:
      break;
  }
  return {};
}

std::string render_page(Request& request, std::ostream& err) {
  ParameterSet set;
  read_parameters(set, request.window);
  if (request.command == Command::strobe_custom || request.command == Command::strobe_speed)
    read_custom_strobe(set, request.custom);
  const std::string title = page_title(request, set);
  std::string bytes;
  std::ostringstream trace;
  const int dpi = request.dpi != 0 ? request.dpi : default_dpi(*request.format);
  PrintOpener opener;
  if (*request.format == FileFormat::trace) {
    opener = trace_opener(trace, dpi);
  } else {
    opener = [&](std::string_view /*name*/) {
      return make_file_device({*request.format, dpi, request.paper}, bytes, title);
    };
  }
  const std::string blank(caption_length, ' ');
  switch (request.command) {
    case Command::template_page: {
      print_template_page(set, opener);
      const std::string warning = template_paper_warning(set, request.paper);
      if (*request.format != FileFormat::trace && !warning.empty())
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
    case Command::strobe_speed:  // the custom disk, its fields filled in from the speeds
      print_strobe_page(set, set.custom_outer_bars, set.custom_inner_bars, set.custom_caption_1,
                        set.custom_caption_2, opener);
      break;
    case Command::help:
    case Command::summary:
    case Command::calibrate:
      break;
  }
  return *request.format == FileFormat::trace ? trace.str() : bytes;
}

}  // namespace

int run_cli(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && args.front() == "analyze") return run_analyze(args.subspan(1), out, err);
  Request request;
  try {
    request = parse(args);
  } catch (const UsageError& error) {
    err << "veltrane-cli: " << error.message << '\n' << usage_line << '\n';
    return 2;
  }
  if (request.command == Command::help) {
    out << help_text << '\n' << analyze_help_text;
    return 0;
  }
  if (request.command == Command::summary) {
    ParameterSet set;
    read_parameters(set, request.window);
    out << build_parameter_summary(set) << '\n';
    return 0;
  }
  if (request.command == Command::calibrate)
    return run_calibrate(request.calibrate, request.window, out, err);
  report_strobe_rings(request.speed_rings, err);
  return write_output(*request.output, render_page(request, err), out, err);
}

int write_output(const std::string& output, const std::string& bytes, std::ostream& out,
                 std::ostream& err) {
  // Finished output is never empty; empty means the graphics back end could not paint it.
  if (bytes.empty()) {
    err << "veltrane-cli: cannot render the page for '" << output
        << "': the graphics back end could not paint it with the memory and threads the "
           "system allows\n";
    return 2;
  }
  if (output == "-") return write_standard_output(out, bytes, err);
  const std::string error = write_output_file(output, bytes);
  if (!error.empty()) {
    err << "veltrane-cli: " << error << '\n';
    return 2;
  }
  return 0;
}

}  // namespace veltrane
