#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/page_kinds.h"
#include "app/requests.h"
#include "print/file_output.h"
#include "print/paper.h"

namespace veltrane {

/// What the command line asks for; a strobe command's kind of disk is part of it.
enum class Command : std::uint8_t {
  help,  ///< --help before any command
  summary,
  template_page,
  strobe_60hz,
  strobe_50hz,
  strobe_custom,
  strobe_speed,
  calibrate,
  analyze,
  version,  ///< --version
};

/// A set of commands, one bit per Command.
using Commands = std::uint32_t;

constexpr Commands command_bit(Command command) {
  return Commands{1} << static_cast<unsigned>(command);
}

/// The commands that write a page to -o FILE.
inline constexpr Commands page_commands =
    command_bit(Command::template_page) | command_bit(Command::strobe_60hz) |
    command_bit(Command::strobe_50hz) | command_bit(Command::strobe_custom) |
    command_bit(Command::strobe_speed);

/// Everything veltrane-cli was asked, its options filled in as the option table says.
struct Request {
  Command command = Command::help;
  std::string command_name;    ///< as typed, for the messages
  bool help = false;           ///< --help after the command, or after strobe
  Commands help_commands = 0;  ///< the commands whose part of the help is asked for
  /// --as-typed: every text the windows read is read their way, and nothing they accept is
  /// refused; without it every number is read strictly.
  bool as_typed = false;
  PageRequest page;                       ///< the arm, strobe, analysis and print options as typed
  std::optional<std::string> measured_x;  ///< calibrate's lengths
  std::optional<std::string> measured_y;
  bool speeds_given = false;            ///< strobe speed's --rpm
  std::vector<std::string_view> given;  ///< the names of the options given, in their order
  std::optional<std::string> format;    ///< as named by --format or FILE's extension
  std::optional<std::string> output;
};

/// How an option's value is read before the option takes it.
enum class ValueKind : std::uint8_t {
  text,    ///< any text, as typed
  flag,    ///< no value: the option alone
  dots,    ///< a whole number from 1 to 9600
  choice,  ///< one of the option's choices
};

/// An option's value once read: the text, and the number or choice its kind reads.
struct OptionValue {
  std::string_view text;
  double number = 0;
  int whole = 0;
  std::size_t choice = 0;  ///< index into the option's choices
};

/// Where --help lists an option.
enum class HelpSection : std::uint8_t {
  fields,
  arm,
  custom_strobe,
  strobe_speed,
  calibrate,
  output,
  analyze,
};

/// One command-line option: the parser and --help read nothing else. One name may stand
/// for different options in different commands (--outer is a groove radius for the summary
/// and a bar count for the custom disk).
struct Option {
  std::string_view name;        ///< "--pivot"
  std::string_view short_name;  ///< "-o", or empty
  ValueKind kind;
  Commands commands;  ///< the commands that take it
  /// How a value of the kind must be, after "--rpm must be " in a mistake's message; for a
  /// choice, empty (the message lists the choices).
  std::string_view must_be;
  std::span<const std::string_view> choices;  ///< for ValueKind::choice
  HelpSection section;
  std::string_view label;  ///< as --help lists it, "--pivot TEXT"; empty: listed by another
  std::string_view help;   ///< its lines in --help, '\n' between them
  void (*apply)(Request& request, const OptionValue& value);
};

/// Every option, in the order --help lists them within a section.
std::span<const Option> options();

/// Fills `request` from the words after the program name: the command, then its options
/// (a value follows as the next word or after "="), then what follows from them (the strobe
/// speed's rings, the output's format). Throws UsageError for a mistake; `request.command`
/// then tells which command's usage applies.
void parse_request(std::span<const std::string_view> args, Request& request);

/// The usage line printed after a mistake in the arguments of `command`.
std::string_view usage_line(Command command);

/// How the request's texts are read: strictly, or with --as-typed the windows' way.
Reading reading_of(const Request& request);

/// Reports the first of `problems` and the usage line on `err`; returns the exit code, 2.
int report_problems(const Request& request, const Problems& problems, std::ostream& err);

/// One "warning:" line each.
void report_warnings(std::span<const std::string> warnings, std::ostream& err);

/// The commands that the words `strobe --help` ask about.
inline constexpr Commands strobe_commands =
    command_bit(Command::strobe_60hz) | command_bit(Command::strobe_50hz) |
    command_bit(Command::strobe_custom) | command_bit(Command::strobe_speed);

/// --help for `commands`: their usage and the sections of the options they take, each
/// listing only those options; for every command (as Command::help asks) all of it.
std::string help_text(Commands commands);
std::string help_text(Command command);

}  // namespace veltrane
