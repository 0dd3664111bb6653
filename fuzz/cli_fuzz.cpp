// veltrane-cli's argument handling and its pages: the input is the argument words,
// separated by NUL bytes. The output always goes to standard output, never to a file.
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "fuzz/fuzz_input.h"
#include "support/page_checks.h"

namespace {

bool names_an_output(std::string_view word) {
  for (std::string_view option : {"-o", "--output"}) {
    if (word == option || (word.starts_with(option) && word.substr(option.size()).starts_with('=')))
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veltrane;
  // Fine steps are refused sooner: the analysis of the most radii the tool takes is linear
  // but long under the sanitizers, and no fault hides in its size alone.
  const CliLimits limits{20'000};
  std::vector<std::string_view> args = nul_separated(input_text(data, size));
  for (std::string_view word : args) {
    if (names_an_output(word)) return 0;
  }
  // calibrate writes only to standard output and takes no -o.
  if (args.empty() || args.front() != "calibrate") args.insert(args.end(), {"-o", "-"});
  std::ostringstream out;
  std::ostringstream err;
  const int code = run_cli(args, out, err, limits);
  require(code == 0 || code == 2, "exit code " + std::to_string(code));
  // Exit code 2 comes with its message. A finished run may leave notes on standard error
  // (strobe speed's rings, calibrate's warnings), but no error message.
  const std::string notes = err.str();
  require(code == 0 || !notes.empty(), "exit code 2 without a message");
  if (code == 0) {
    std::istringstream lines(notes);
    for (std::string line; std::getline(lines, line);) {
      require(!line.starts_with("veltrane-cli: ") || line.starts_with("veltrane-cli: warning: "),
              "an error message with exit code 0");
    }
  }
  const std::string text = out.str();
  if (text.starts_with("open ")) require_none(trace_problems(text));
  if (text.starts_with("ID = ")) {
    require(text.ends_with('\n'), "summary without its line feed");
    require_none(summary_problems(std::string_view(text).substr(0, text.size() - 1)));
  }
  return 0;
}
