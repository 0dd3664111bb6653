#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace veltrane {

/// A mistake in veltrane-cli's arguments: reported in one line with the usage line, exit 2.
struct UsageError {
  std::string message;
};

/// An ordinary command-line number ("200", "+1.5", "2e2", ".5") that is finite and above 0;
/// nullopt for anything else, including a text with more after the number.
std::optional<double> read_positive_number(std::string_view text);

/// An ordinary command-line number of either sign ("-0.5", "+1.5", "2e2") that is finite;
/// nullopt for anything else.
std::optional<double> read_decimal_number(std::string_view text);

/// Two ordinary command-line numbers of either sign with a comma between them ("66,121").
std::optional<std::pair<double, double>> read_number_pair(std::string_view text);

}  // namespace veltrane
