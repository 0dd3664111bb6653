#pragma once

#include <cstdint>
#include <vector>

#include "ui/toolkit.h"

namespace veltrane {

/// The face and size every dialog is laid out in; its dialog units are those of this font.
inline constexpr const wchar_t* dialog_font_face = L"MS Sans Serif";
inline constexpr std::uint16_t dialog_font_points = 8;

/// A description as an in-memory DLGTEMPLATE with DS_SETFONT, ready for
/// DialogBoxIndirectParamW: hidden, fixed-size frame, controls in creation order. The
/// first word is suitably aligned for the template.
std::vector<std::uint16_t> build_dialog_template(const DialogDescription& description);

}  // namespace veltrane
