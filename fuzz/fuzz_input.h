#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

/// The fuzz input as text.
inline std::string_view input_text(const std::uint8_t* data, std::size_t size) {
  return size == 0 ? std::string_view()
                   : std::string_view(reinterpret_cast<const char*>(data), size);
}

/// The input cut at NUL bytes: one part per field or word, so that a corpus file can be
/// written with printf and every field can hold any other byte.
inline std::vector<std::string_view> nul_separated(std::string_view text) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    const auto at = text.find('\0');
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + 1);
  }
  return parts;
}

/// A finding: tells what broke, then aborts so that the fuzzer keeps the input.
inline void require(bool holds, std::string_view what) {
  if (holds) return;
  std::cerr << "violated: " << what << '\n';
  std::abort();
}

/// The same for a list of violations, which must be empty.
inline void require_none(const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) std::cerr << "violated: " << problem << '\n';
  if (!problems.empty()) std::abort();
}

}  // namespace veltrane
