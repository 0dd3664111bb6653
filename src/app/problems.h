#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

/// How a front end's texts become numbers.
enum class Reading : std::uint8_t {
  /// The whole text is a decimal number ("222.5", "+1e2"); anything else is a problem. The command
  /// line reads this way.
  strict,
  /// strict, except that a single decimal comma stands for the point ("222,5" is 222.5):
  /// the web page.
  decimal_comma,
  /// As the windows read their boxes: the leading number, else 0; nothing is refused
  /// (veltrane-cli --as-typed).
  as_typed,
};

/// Something a person must change before a request can be answered. `field` is the form's
/// name for it ("pivot", "null-inner", "margin"; the web page's element ids), `words` say in
/// plain words, naming the quantity and never an option, what is wrong and what would be
/// right.
struct Problem {
  std::string field;
  std::string words;

  bool operator==(const Problem&) const = default;
};

using Problems = std::vector<Problem>;

/// An answer or why there is none, and what the person should know about it anyway.
template <typename Value>
struct Resolved {
  std::optional<Value> value;  ///< empty exactly when there are problems
  Problems problems;
  std::vector<std::string> warnings;  ///< plain words, one line each
};

/// A quantity a person types: the field it is typed into, how the words name it, and the
/// unit its words add to a value ("mm", or empty).
struct Quantity {
  std::string_view field;
  std::string_view name;
  std::string_view unit;
};

/// `text` between single quotes for words of one line: control characters, which would
/// break the line or move a terminal's cursor, are written as escapes ("\n", "\t", "\x1b",
/// "\u0085").
std::string quoted_text(std::string_view text);

/// A value with its unit as the words show a typed value: "90 mm", "1e+20".
std::string value_text(double value, const Quantity& quantity);

/// Collects the problems of one request while its texts are read.
class ProblemList {
 public:
  explicit ProblemList(Reading reading) : reading_(reading) {}

  Reading reading() const { return reading_; }
  bool empty() const { return problems_.empty(); }
  const Problems& problems() const { return problems_; }

  void add(std::string_view field, std::string words);

  /// The text read as `reading` says; nullopt, with a problem "pivot distance must be a
  /// number, such as 222.5, not 'abc'", where it is no finite number.
  std::optional<double> number(const Quantity& quantity, std::string_view text,
                               std::string_view example);

  /// number(), and then above 0 ("... must be more than 0 mm, not -3").
  std::optional<double> positive(const Quantity& quantity, std::string_view text,
                                 std::string_view example);

 private:
  Reading reading_;
  Problems problems_;
};

/// `text` read as `reading` says: for the strict readings a decimal number that is the whole
/// of it, nullopt for anything else and for what is not finite.
std::optional<double> read_typed_number(std::string_view text, Reading reading);

}  // namespace veltrane
