#include "cli/options.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "app/page_title.h"
#include "app/render.h"
#include "cli/alignment_options.h"
#include "cli/arguments.h"
#include "model/alignments.h"
#include "model/groove_presets.h"
#include "print/file_output.h"

namespace veltrane {
namespace {

constexpr Commands bit(Command command) {
  return command_bit(command);
}

// clang-format off
constexpr Commands field_commands =
    bit(Command::summary) | bit(Command::template_page) | bit(Command::analyze);
constexpr Commands every_command =
    field_commands | page_commands | bit(Command::calibrate);
// clang-format on

constexpr auto alignment_keys = [] {
  std::array<std::string_view, alignments.size()> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = alignments[i].key;
  return keys;
}();

constexpr auto paper_names = [] {
  std::array<std::string_view, paper_sizes.size()> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = paper_sizes[i].name;
  return names;
}();

constexpr auto groove_preset_keys = [] {
  std::array<std::string_view, std::size(groove_presets)> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = groove_presets[i].key;
  return keys;
}();

constexpr std::array<std::string_view, 4> page_formats = {"pdf", "svg", "png", "trace"};
constexpr std::array<std::string_view, 7> analysis_formats = {"text", "csv", "json", "pdf",
                                                              "svg",  "png", "trace"};

using V = ValueKind;
using S = HelpSection;
using R = Request;
using Value = OptionValue;

// clang-format off
constexpr Option option_table[] = {
    {"--pivot", "", V::text, field_commands, "", {}, S::fields,
     "--pivot TEXT", "spindle to pivot distance, mm (209)",
     [](R& r, const Value& v) { r.page.arm.window.pivot = v.text; }},
    {"--inner", "", V::text, field_commands, "", {}, S::fields,
     "--inner TEXT", "inner groove radius, mm (57.5)",
     [](R& r, const Value& v) { r.page.arm.window.inner_radius = v.text; }},
    {"--outer", "", V::text, field_commands, "", {}, S::fields,
     "--outer TEXT", "outer groove radius, mm (146.05)",
     [](R& r, const Value& v) { r.page.arm.window.outer_radius = v.text; }},
    {"--alignment", "", V::choice, field_commands, "", alignment_keys, S::fields,
     "--alignment NAME", "{choices}",
     [](R& r, const Value& v) { r.page.arm.window.alignment = alignments[v.choice].code; }},
    {"--correction-x", "", V::text, every_command, "", {}, S::fields,
     "--correction-x TEXT", "printer correction factor X (1.0)",
     [](R& r, const Value& v) { r.page.arm.window.correction_x = v.text; }},
    {"--correction-y", "", V::text, every_command, "", {}, S::fields,
     "--correction-y TEXT", "printer correction factor Y (1.0)",
     [](R& r, const Value& v) { r.page.arm.window.correction_y = v.text; }},
    {"--id", "", V::text, field_commands, "", {}, S::fields,
     "--id TEXT", "arm or turntable ID, first 40 characters (empty)",
     [](R& r, const Value& v) { r.page.arm.window.id_text = v.text; }},

    {"--as-typed", "", V::flag, every_command, "", {}, S::fields,
     "--as-typed", "read every TEXT as the window reads its boxes (the\n"
                   "leading number, else 0) and refuse nothing the window\n"
                   "accepts: an arm that cannot reach the record is drawn\n"
                   "as the window draws it",
     [](R& r, const Value&) { r.as_typed = true; }},

    {"--radii", "", V::choice, field_commands, "", groove_preset_keys, S::arm,
     "--radii NAME", "both groove radii of a standard: din (57.5/146.05),\n"
                     "iec (60.325/146.05), jis (57.6/146.5) or typical\n"
                     "(63/145); not with --inner or --outer",
     [](R& r, const Value& v) {
       r.page.arm.window.inner_radius = groove_presets[v.choice].inner_mm;
       r.page.arm.window.outer_radius = groove_presets[v.choice].outer_mm;
     }},
    {"--nulls", "", V::text, field_commands, "", {}, S::arm,
     "--nulls N1,N2", "your own null radii in mm, both above 0 and different,\n"
                      "in either order (the smaller is the inner one), in place\n"
                      "of the alignment: effective length sqrt(d^2 + N1 N2),\n"
                      "overhang and offset angle as for the three alignments;\n"
                      "the template is headed \"Custom nulls\" (--alignment\n"
                      "is then left aside)",
     [](R& r, const Value& v) {
       const auto comma = v.text.find(',');
       if (comma == std::string_view::npos)
         throw UsageError{"--nulls must be two numbers with a comma between them (66,121), not " +
                          quoted_text(v.text)};
       r.page.arm.custom_nulls = true;
       r.page.arm.null_inner = v.text.substr(0, comma);
       r.page.arm.null_outer = v.text.substr(comma + 1);
     }},
    {"--effective-length", "", V::text, field_commands, "", {}, S::arm,
     "--effective-length L", "an arm given by its effective length in mm, in place\n"
                             "of --pivot: the pivot distance becomes d = sqrt(L^2 -\n"
                             "N1 N2), N1 and N2 the null radii of the alignment (or\n"
                             "--nulls), so the arm keeps its length; for example\n"
                             "--radii iec --effective-length 239.3 gives L\u00F6fgren A\n"
                             "at d = sqrt(239.3^2 - 65.998 x 120.891) = 222.004 mm.\n"
                             "An arm too short to reach both null radii is refused.",
     [](R& r, const Value& v) {
       r.page.arm.by = ArmBy::effective_length;
       r.page.arm.effective_length = v.text;
     }},

    {"--outer", "", V::text, bit(Command::strobe_custom), "", {}, S::custom_strobe,
     "--outer TEXT", "number of outer bars (216)",
     [](R& r, const Value& v) { r.page.strobe.custom.outer_bars = v.text; }},
    {"--inner", "", V::text, bit(Command::strobe_custom), "", {}, S::custom_strobe,
     "--inner TEXT", "number of inner bars (160)",
     [](R& r, const Value& v) { r.page.strobe.custom.inner_bars = v.text; }},
    {"--caption1", "", V::text, bit(Command::strobe_custom), "", {}, S::custom_strobe,
     "--caption1 TEXT", R"(caption line 1 ("33 1/3 RPM - 60 HZ - 216 BARS"))",
     [](R& r, const Value& v) { r.page.strobe.custom.caption_1 = v.text; }},
    {"--caption2", "", V::text, bit(Command::strobe_custom), "", {}, S::custom_strobe,
     "--caption2 TEXT", R"(caption line 2 ("45 RPM - 60 HZ - 160 BARS"))",
     [](R& r, const Value& v) { r.page.strobe.custom.caption_2 = v.text; }},

    {"--rpm", "", V::text, bit(Command::strobe_speed), "", {}, S::strobe_speed,
     "--rpm OUTER[,INNER]", "the speed of the outer ring, and of the inner one, in RPM",
     [](R& r, const Value& v) {
       r.page.strobe.speeds = v.text;
       r.speeds_given = true;
     }},
    {"--hz", "", V::text, bit(Command::strobe_speed), "", {}, S::strobe_speed,
     "--hz F", "supply frequency of the lamp in Hz (50); lamps flicker at 2 F",
     [](R& r, const Value& v) { r.page.strobe.hz = v.text; }},

    {"--measured-x", "", V::text, bit(Command::calibrate), "", {}, S::calibrate,
     "--measured-x MM", "on a printed template, from the left reference line to the\n"
                        "\"X=200mm\" tick, measured with a steel rule",
     [](R& r, const Value& v) { r.measured_x = v.text; }},
    {"--measured-y", "", V::text, bit(Command::calibrate), "", {}, S::calibrate,
     "--measured-y MM", "from the top reference line to the \"Y=200mm\" tick",
     [](R& r, const Value& v) { r.measured_y = v.text; }},

    {"--output", "-o", V::text, page_commands, "", {}, S::output,
     "-o, --output FILE", "where the page goes; \"-\" is standard output",
     [](R& r, const Value& v) { r.output = std::string(v.text); }},
    {"--format", "", V::choice, page_commands, "", page_formats, S::output,
     "--format FORMAT", "pdf, svg, png or trace; by default from FILE's extension",
     [](R& r, const Value& v) { r.format = std::string(v.text); }},
    {"--dpi", "", V::dots, page_commands | bit(Command::analyze),
     "a whole number from 1 to 9600", {}, S::output,
     "--dpi N", "resolution, 1 to 9600 (png: to 1200); defaults:\n"
                "pdf 600, svg 600, png 300, trace 600",
     [](R& r, const Value& v) { r.page.print.dpi = v.whole; }},
    {"--paper", "", V::choice, page_commands | bit(Command::analyze), "", paper_names, S::output,
     "--paper PAPER", "paper of pdf, svg and png: a4 (the default), a3, letter,\n"
                      "legal or tabloid; the page is never scaled or moved, and\n"
                      "a template whose marks the sheet cuts off gets a warning\n"
                      "naming them and the smallest paper with room for them",
     [](R& r, const Value& v) { r.page.print.paper = paper_sizes[v.choice].paper; }},
    {"--margin", "", V::text, page_commands | bit(Command::analyze), "", {}, S::output,
     "--margin MM", "the border a printer cannot print, 0 to 25 mm (4): pdf,\n"
                    "svg and png are drawn as on a printer that prints\n"
                    "nothing within MM of the sheet's edges; 0 for a\n"
                    "borderless printer",
     [](R& r, const Value& v) { r.page.print.margin = v.text; }},

    {"--rpm", "", V::text, bit(Command::analyze), "", {}, S::analyze,
     "--rpm N", "turntable speed (100/3)",
     [](R& r, const Value& v) { r.page.analysis.rpm = v.text; }},
    {"--velocity", "", V::text, bit(Command::analyze), "", {}, S::analyze,
     "--velocity N", "peak lateral velocity of the recorded signal, mm/s (100)",
     [](R& r, const Value& v) { r.page.analysis.velocity = v.text; }},
    {"--step", "", V::text, bit(Command::analyze), "", {}, S::analyze,
     "--step N", "radius step, mm (1); radii run from the inner groove\n"
                 "radius in steps (the k-th is inner + k x step) below the\n"
                 "outer groove radius, then the outer groove radius itself;\n"
                 "at most 1000000 radii, and no more than the outer groove\n"
                 "radius less the inner",
     [](R& r, const Value& v) { r.page.analysis.step = std::string(v.text); }},
    {"--arm-length", "", V::text, bit(Command::analyze), "", {}, S::analyze,
     "--arm-length N --arm-offset N", "an arm as its maker built it (effective length in mm,\n"
                                      "offset angle in degrees, at most 90), mounted at\n"
                                      "--pivot: a fourth column \"As given\" with the null\n"
                                      "radii above 0 where it has them (marked * when they\n"
                                      "lie between the groove radii)",
     [](R& r, const Value& v) { r.page.analysis.arm_length = std::string(v.text); }},
    {"--arm-offset", "", V::text, bit(Command::analyze), "", {}, S::analyze, "", "",
     [](R& r, const Value& v) { r.page.analysis.arm_offset = std::string(v.text); }},
    {"--mounting-error", "", V::text, bit(Command::analyze), "", {}, S::analyze,
     "--mounting-error E,B", "the chosen alignment as mounted with the stylus E mm too\n"
                             "far forward (effective length L + E at the same pivot;\n"
                             "negative is behind) and turned B degrees too far\n"
                             "(offset angle + B): a column \"As mounted\" (key mounted),\n"
                             "analysed as an arm as given, and one more curve on the\n"
                             "chart; the text adds, per alignment, how much its peak\n"
                             "|distortion| grows (percentage points) for +0.5 mm,\n"
                             "-0.5 mm of overhang and +0.5, -0.5 degrees of offset,\n"
                             "and json its peak_distortion_growth_percent; E and B\n"
                             "may be negative",
     [](R& r, const Value& v) { r.page.analysis.mounting_error = std::string(v.text); }},
    {"--format", "", V::choice, bit(Command::analyze), "", analysis_formats, S::analyze,
     "--format FORMAT", "text (the default), csv or json; or a chart page in\n"
                        "pdf, svg, png or trace; by default from FILE's extension",
     [](R& r, const Value& v) { r.format = std::string(v.text); }},
    {"--output", "-o", V::text, bit(Command::analyze), "", {}, S::analyze,
     "-o FILE", "where it goes; standard output when left out or \"-\"",
     [](R& r, const Value& v) { r.output = std::string(v.text); }},
};
// clang-format on

// What --help says around the options of each section, in the order it says it.
struct HelpPart {
  HelpSection section;
  std::string_view before;
  std::string_view after;
};

constexpr std::string_view help_title =
    "veltrane-cli: alignment summaries, arc alignment templates, printer calibration and\n"
    "strobe disks.\n\nusage:\n";

// The usage lines, each with the commands it shows.
struct UsageLines {
  Commands commands;
  std::string_view lines;
};

// clang-format off
constexpr UsageLines usage_lines[] = {
    {bit(Command::summary), "  veltrane-cli summary  [FIELDS] [ARM]\n"},
    {bit(Command::template_page), "  veltrane-cli template [FIELDS] [ARM] [OUTPUT] -o FILE\n"},
    {bit(Command::strobe_60hz) | bit(Command::strobe_50hz),
     "  veltrane-cli strobe 60hz|50hz [CORRECTION] [OUTPUT] -o FILE\n"},
    {bit(Command::strobe_custom),
     "  veltrane-cli strobe custom [--outer TEXT] [--inner TEXT] [--caption1 TEXT]\n"
     "                             [--caption2 TEXT] [CORRECTION] [OUTPUT] -o FILE\n"},
    {bit(Command::strobe_speed),
     "  veltrane-cli strobe speed --rpm OUTER[,INNER] [--hz F] [CORRECTION] [OUTPUT] -o FILE\n"},
    {bit(Command::calibrate),
     "  veltrane-cli calibrate --measured-x MM --measured-y MM [CORRECTION]\n"},
    {bit(Command::analyze),
     "  veltrane-cli analyze [FIELDS] [ARM] [--rpm N] [--velocity N] [--step N]\n"
     "                       [--arm-length N --arm-offset N] [--mounting-error E,B]\n"
     "                       [--format FORMAT] [-o FILE]\n"},
};
// clang-format on

constexpr std::string_view help_commands_lines =
    "  veltrane-cli --help | --version\n"
    "  veltrane-cli COMMAND --help       (strobe --help: the strobe disks)\n";

constexpr std::string_view help_reading =
    R"(
Every number is read strictly: a TEXT must be wholly a decimal number ("222.5",
"1e2"), and what cannot be built is refused in one line naming the quantity
(exit code 2): an arm too short to reach both null radii (pivot distance at
least (N2 - N1) / 2, effective length at least (N1 + N2) / 2), a margin or
correction factor out of range. With --as-typed every TEXT is read as the window
reads what is typed into its box (the leading number of the text, else 0: "abc"
reads as 0) and nothing the window accepts is refused. An option left out takes
the window's initial text.

)";

constexpr HelpPart help_parts[] = {
    {S::fields, "FIELDS (the main window):\n",
     "\nCORRECTION: --correction-x TEXT and --correction-y TEXT, as above.\n\n"},
    {S::arm, "ARM (summary, template and analyze; plain decimal numbers, not read as FIELDS):\n",
     "\n"},
    {S::custom_strobe, "strobe custom (the custom strobe dialog):\n",
     "The pairs 216/160 and 180/133 print their standard captions instead.\n\n"},
    {S::strobe_speed, "strobe speed (a disk for any speed and lamp):\n",
     R"help(A ring for speed s has 120 x F / s bars, rounded to the nearest whole number (ties to
even); a speed is a decimal number, a fraction (100/3) or a mixed number ("33 1/3").
The page is the custom disk with these counts; one speed leaves the inner ring without
bars. Below the spindle each ring's caption ("78 RPM - 50 HZ - 77 BARS", after "outer:"
or "inner:" when there are two; "33 1/3" and "16 2/3" within 0.001 of them, other
numbers with up to three decimals, or, below 0.0005, three significant digits:
"0.0004") has beneath it how the ring drifts at its speed,
"(must drift CW 2 bars per 20sec)", unless it stands still; the timing note gives the
outer ring's speed and its 6000 / s seconds for 100 revolutions. Standard error gets
one line per ring: the speed at which it stands still (120 x F / bars), how far that
is from the asked speed in percent, and unless it rounds to 0 the drift at the asked
speed in bars per 20 seconds (to three decimals), CW with the platter when the platter
is faster than the standstill speed, CCW when slower: "45 RPM ... must drift CCW 5
bars per 20sec" under 50 Hz. Speeds and F are finite and above 0, and each ring needs
from 1 to 2147483647 bars.

)help"},
    {S::calibrate, "calibrate (printer correction factors):\n",
     R"(  --correction-x/-y     the factors that template was printed with (1.0), read as above
Writes "correction_x = N" and "correction_y = N", each current factor x 200 / measured
with four decimals, then the template command and the window's boxes to use them. MM
are plain numbers, finite and above 0; a length more than 10 % away from 200 mm gets
a warning on standard error (likely a measuring mistake), and the result is still given.
A factor that would be infinite or 0.0000 prints no page: it is refused in one line
naming the length or factor that gave it, with exit code 2.

)"},
    {S::output, "OUTPUT:\n",
     R"(
An option's value may follow as the next word (even one starting with "-") or
after "=": --pivot=-3. summary prints the nine-line confirmation text. The
pages are drawn as on a printer whose printable area is the sheet less the
margin at every edge, cut off there; the trace is the same whatever the margin.
Print at actual size, never "fit to page": ordinary printers cannot print the
outer 3 to 5 mm of a sheet, and the reference frame must not fall there. A PDF
asks viewers to print it at actual size, and a PDF or SVG is titled by its
page: "Arc template 209 mm, Löfgren A" (the distance with up to three
decimals), "Strobe disk 50 Hz", "Strobe disk 100/72 bars". The trace lists
every drawing operation in device dots. A file is written whole or
not at all, on every system alike: a file is replaced atomically (keeping its
mode or attributes), one you may not write (read-only) is refused with the
reason, a symlink is followed, a FIFO or device (/dev/null, NUL) is written
straight through; names and folders may be as long as the file system allows,
and nothing is left behind on failure. Exit codes: 0 done,
2 a mistake in the arguments or an output that cannot be written (a file,
or standard output when writing or closing it fails, e.g. a full disk).

)"},
    {S::analyze,
     R"(analyze: tracking error and distortion of the three alignments across the record.

  veltrane-cli analyze [FIELDS] [ARM] [--rpm N] [--velocity N] [--step N]
                       [--arm-length N --arm-offset N] [--mounting-error E,B]
                       [--format text|csv|json|pdf|svg|png|trace] [--dpi N]
                       [--paper a4|a3|letter|legal|tabloid] [-o FILE]

  FIELDS and ARM are read as summary reads them (veltrane-cli --help);
  --alignment only marks the chosen one, and --nulls adds a column "Custom"
  (key custom), the chosen one.
  Each N is a decimal number greater than 0 (for example 33.3 or 1e-3).
)",
     R"(
  At radius r, for pivot distance d, effective length L and offset angle b:
  tracking error e = b - asin((L^2 + r^2 - d^2) / (2 L r)) in degrees, "-" where
  the arm cannot reach r; weighted error e / (r / 10) in degrees per cm;
  distortion 100 v tan(e) / (2 pi rpm / 60 x r) in percent. Peaks are the largest
  magnitudes over the radii with a value, at the first radius they occur; the RMS
  distortion is over the radii with a value (unreachable radii are left out).
  Text shows three decimals; csv and json the shortest decimal that reads back
  as the same number, csv an empty field and json null where there is no value.
)"},
};

// "a, b or c"; with `first_note`, after the first choice.
std::string choice_list(std::span<const std::string_view> choices,
                        std::string_view first_note = {}) {
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) list += i + 1 == choices.size() ? " or " : ", ";
    list += choices[i];
    if (i == 0) list += first_note;
  }
  return list;
}

// The help column starts after two spaces and a label of up to 21 characters.
constexpr std::size_t help_column = 24;

void append_option_help(std::string& text, const Option& option) {
  std::string help(option.help);
  if (help == "{choices}") help = choice_list(option.choices, " (the default)");
  text += "  ";
  text += option.label;
  if (option.label.size() < help_column - 2) {
    text.append(help_column - 2 - option.label.size(), ' ');
  } else {
    text += '\n';
    text.append(help_column, ' ');
  }
  for (const char c : help) {
    text += c;
    if (c == '\n') text.append(help_column, ' ');
  }
  text += '\n';
}

// The section with the options any of `commands` take; empty when they take none.
std::string section_help(const HelpPart& part, Commands commands) {
  std::string options;
  for (const Option& option : option_table)
    if (option.section == part.section && !option.label.empty() && (option.commands & commands))
      append_option_help(options, option);
  if (options.empty()) return {};
  return std::string(part.before) + options + std::string(part.after);
}

const Option* find_option(Command command, std::string_view name) {
  for (const Option& option : option_table) {
    if ((option.commands & bit(command)) == 0) continue;
    if (name == option.name || (!option.short_name.empty() && name == option.short_name))
      return &option;
  }
  return nullptr;
}

OptionValue read_value(const Option& option, std::string_view name, std::string_view text) {
  OptionValue value{text};
  const auto mistake = [&](std::string_view must_be) {
    return UsageError{std::string(name) + " must be " + std::string(must_be) + ", not " +
                      quoted_text(text)};
  };
  switch (option.kind) {
    case ValueKind::text:
    case ValueKind::flag:
      break;
    case ValueKind::dots: {
      const char* const end = text.data() + text.size();
      const auto result = std::from_chars(text.data(), end, value.whole);
      if (text.empty() || text.front() < '0' || text.front() > '9' || result.ec != std::errc() ||
          result.ptr != end || value.whole < 1 || value.whole > 9600)
        throw mistake(option.must_be);
      break;
    }
    case ValueKind::choice: {
      const auto found = std::find(option.choices.begin(), option.choices.end(), text);
      if (found == option.choices.end()) throw mistake(choice_list(option.choices));
      value.choice = static_cast<std::size_t>(found - option.choices.begin());
      break;
    }
  }
  return value;
}

std::string lower_extension(std::string_view path) {
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) return {};
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension;
}

bool is_help(std::string_view word) {
  return word == "--help" || word == "-h";
}

Command command_named(std::span<const std::string_view> args, std::size_t& i) {
  const std::string_view name = args[i++];
  if (is_help(name)) return Command::help;
  if (name == "--version") return Command::version;
  if (name == "summary") return Command::summary;
  if (name == "template") return Command::template_page;
  if (name == "calibrate") return Command::calibrate;
  if (name == "analyze") return Command::analyze;
  if (name != "strobe") throw UsageError{"unknown command " + quoted_text(name)};
  if (i >= args.size()) throw UsageError{"strobe needs 60hz, 50hz, custom or speed"};
  const std::string_view kind = args[i++];
  if (kind == "60hz") return Command::strobe_60hz;
  if (kind == "50hz") return Command::strobe_50hz;
  if (kind == "custom") return Command::strobe_custom;
  if (kind == "speed") return Command::strobe_speed;
  throw UsageError{"strobe needs 60hz, 50hz, custom or speed, not " + quoted_text(kind)};
}

// The output's format, from --format or the file's extension, checked against the build.
void finish_page_output(Request& request) {
  if (!request.output)
    throw UsageError{"no output given: use -o FILE, or -o - for standard output"};
  if (!request.format) {
    const std::string extension = lower_extension(*request.output);
    if (std::find(page_formats.begin(), page_formats.end(), extension) != page_formats.end())
      request.format = extension;
  }
  if (!request.format)
    throw UsageError{
        "no format: use --format, or an output file ending in .pdf, .svg, .png or .trace"};
  if (*request.format == "png" && request.page.print.dpi > 1200)
    throw UsageError{"--dpi for png must be from 1 to 1200"};
  request.page.print.format = *file_format_named(*request.format);
  if (!file_format_available(request.page.print.format))
    throw UsageError{"this build writes no " + *request.format + " files"};
}

void finish_analysis(Request& request) {
  if (!request.output) request.output = "-";
  if (!request.format) {
    const std::string extension = lower_extension(*request.output);
    const bool named = extension != "text" &&
                       std::find(analysis_formats.begin(), analysis_formats.end(), extension) !=
                           analysis_formats.end();
    request.format = named ? extension : "text";
  }
  const std::string& format = *request.format;
  if (format == "png" && request.page.print.dpi > 1200)
    throw UsageError{"--dpi for png must be from 1 to 1200"};
  const std::optional<FileFormat> page_format = file_format_named(format);
  if (page_format && !file_format_available(*page_format))
    throw UsageError{"this build writes no " + format + " files"};
  if (page_format) request.page.print.format = *page_format;
}

}  // namespace

std::span<const Option> options() {
  return option_table;
}

void parse_request(std::span<const std::string_view> args, Request& request) {
  std::size_t i = 0;
  if (i >= args.size()) throw UsageError{"no command given"};
  // --as-typed may also come before the command, as it applies to the whole run.
  for (; i < args.size() && args[i] == "--as-typed"; ++i) request.as_typed = true;
  if (i >= args.size()) throw UsageError{"no command given"};
  request.command_name = std::string(args[i]);
  if (args[i] == "strobe" && args.size() > i + 1 && is_help(args[i + 1])) {
    request.command = Command::help;
    request.help_commands = strobe_commands;
    return;
  }
  request.command = command_named(args, i);
  if (request.command == Command::help) request.help_commands = ~Commands{0};
  if (request.command == Command::help || request.command == Command::version) return;
  while (i < args.size()) {
    const std::string_view word = args[i++];
    if (is_help(word)) {
      request.help = true;
      request.help_commands = bit(request.command);
      return;
    }
    const auto equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    const Option* const option = find_option(request.command, name);
    if (!option) {
      throw UsageError{(name.starts_with("-") ? "unknown option " : "unexpected argument ") +
                       quoted_text(name) + " for " + request.command_name};
    }
    std::string_view text;
    if (option->kind == ValueKind::flag) {
      if (equals != std::string_view::npos)
        throw UsageError{"option " + quoted_text(name) + " takes no value"};
    } else if (equals != std::string_view::npos) {
      text = word.substr(equals + 1);
    } else if (i < args.size()) {
      text = args[i++];
    } else {
      throw UsageError{"option " + quoted_text(name) + " needs a value"};
    }
    option->apply(request, read_value(*option, name, text));
    request.given.push_back(option->name);
  }
  if (bit(request.command) & field_commands) check_exclusive_options(request.given);
  if (request.command == Command::calibrate && (!request.measured_x || !request.measured_y))
    throw UsageError{"calibrate needs --measured-x MM and --measured-y MM"};
  if (request.command == Command::strobe_speed && !request.speeds_given)
    throw UsageError{"strobe speed needs --rpm OUTER[,INNER]"};
  if (bit(request.command) & page_commands) finish_page_output(request);
  if (request.command == Command::analyze) finish_analysis(request);
}

std::string_view usage_line(Command command) {
  if (command == Command::analyze)
    return "usage: veltrane-cli analyze [FIELDS] [ARM] [--rpm N] [--velocity N] [--step N] "
           "[--arm-length N --arm-offset N] [--mounting-error E,B] [--format FORMAT] [-o FILE] "
           "(see --help)";
  return "usage: veltrane-cli summary|template|calibrate|analyze|strobe 60hz|50hz|custom|speed "
         "[OPTIONS] (see --help)";
}

std::string help_text(Commands commands) {
  std::string text(help_title);
  for (const UsageLines& usage : usage_lines)
    if (usage.commands & commands) text += usage.lines;
  text += help_commands_lines;
  text += help_reading;
  for (const HelpPart& part : help_parts) text += section_help(part, commands);
  return text;
}

std::string help_text(Command command) {
  return help_text(command == Command::help ? ~Commands{0} : bit(command));
}

}  // namespace veltrane
