#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "print/print_device.h"

namespace veltrane {

enum class Paper { a4, a3, letter, legal, tabloid };

/// A sheet's name on the command line and its portrait size.
struct PaperSize {
  Paper paper;
  std::string_view name;
  double width_mm;
  double height_mm;
};

/// Every paper the file formats offer, in the order they are listed to the user; that order
/// also decides between papers of equal area.
inline constexpr std::array<PaperSize, 5> paper_sizes = {{
    {Paper::a4, "a4", 210, 297},
    {Paper::a3, "a3", 297, 420},
    {Paper::letter, "letter", 215.9, 279.4},    // 8.5 x 11 in
    {Paper::legal, "legal", 215.9, 355.6},      // 8.5 x 14 in
    {Paper::tabloid, "tabloid", 279.4, 431.8},  // 11 x 17 in
}};

constexpr const PaperSize& paper_size(Paper paper) {
  for (const PaperSize& size : paper_sizes)
    if (size.paper == paper) return size;
  return paper_sizes[0];
}

constexpr std::optional<Paper> paper_named(std::string_view name) {
  for (const PaperSize& size : paper_sizes)
    if (size.name == name) return size.paper;
  return std::nullopt;
}

/// The sheet's width and height in millimetres as a page of that orientation sees it.
struct SheetMm {
  double width_mm = 0;
  double height_mm = 0;
};

constexpr SheetMm sheet_mm(Paper paper, Orientation orientation) {
  const PaperSize& size = paper_size(paper);
  if (orientation == Orientation::landscape) return {size.height_mm, size.width_mm};
  return {size.width_mm, size.height_mm};
}

}  // namespace veltrane
