#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_fields.h"
#include "print/trace_device.h"

namespace veltrane {

/// The largest device coordinate a page may hand to a back end, in dots.
inline constexpr long long max_page_coordinate = 1LL << 30;

/// More operations than any page may issue: two strobe rings of at most 65,536 wedges
/// each, and a fixed few dozen other operations.
inline constexpr std::size_t max_page_operations = 140'000;

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool sanitized_build = true;
#elif defined(__has_feature)
inline constexpr bool sanitized_build = __has_feature(address_sanitizer);
#else
inline constexpr bool sanitized_build = false;
#endif

/// A second a page, in the build users get; the sanitizers slow the drawing several times.
inline constexpr std::chrono::milliseconds page_time_limit{sanitized_build ? 4000 : 1000};

/// Longer than any text a page prints: a value line with all 309 digits of the largest
/// double and its caption.
inline constexpr std::size_t max_text_bytes = 512;

/// What one trace must keep: one document with one page, every coordinate an integer
/// within +-2^30, every angle finite, every text valid UTF-8 and of bounded length, a
/// bounded number of operations. Returns one line per violation, none when the page is sound.
std::vector<std::string> trace_problems(std::string_view trace);

/// What the confirmation summary must keep: nine lines with their captions, the ID as 40
/// characters, every value in the three-decimal format (or an infinity).
std::vector<std::string> summary_problems(std::string_view summary);

/// The fields of both windows as a user left them, and the printer's resolution.
struct PipelineInput {
  MainWindowFields main_window = initial_main_window_fields();
  CustomStrobeFields custom_strobe = initial_custom_strobe_fields();
  int dpi = trace_default_dpi;
};

/// Does what the window's commands do with these fields (read, compute, summary, the
/// template, the 60 Hz, 50 Hz and custom strobe pages into trace devices) and returns every
/// violation of the checks above, or a page that took longer than `time_limit`.
std::vector<std::string> pipeline_problems(const PipelineInput& input,
                                           std::chrono::milliseconds time_limit);

/// Whether `text` is well-formed UTF-8.
bool is_valid_utf8(std::string_view text);

/// Whether `text` has the shape of the three-decimal format: "-12.345", "0.000", "inf".
bool is_three_decimal_text(std::string_view text);

}  // namespace veltrane
