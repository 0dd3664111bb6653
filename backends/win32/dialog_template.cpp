#include "backends/win32/dialog_template.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "backends/win32/text.h"

namespace veltrane {
namespace {

// Predefined control classes by atom, as resource compilers write them.
constexpr WORD button_class = 0x0080;
constexpr WORD edit_class = 0x0081;
constexpr WORD static_class = 0x0082;

class TemplateWriter {
 public:
  void word(WORD value) { words_.push_back(value); }

  void dword(DWORD value) {
    word(LOWORD(value));
    word(HIWORD(value));
  }

  // Dialog coordinates are 16-bit in the template.
  void coordinate(int value) {
    word(static_cast<WORD>(static_cast<short>(std::clamp(value, -32768, 32767))));
  }

  void text(const char* utf8) {
    for (wchar_t c : to_wide(utf8)) word(static_cast<WORD>(c));
    word(0);
  }

  void text(const wchar_t* wide) {
    for (; *wide != L'\0'; ++wide) word(static_cast<WORD>(*wide));
    word(0);
  }

  // Every item template starts on a DWORD boundary.
  void align() {
    if (words_.size() % 2 != 0) word(0);
  }

  std::vector<std::uint16_t> take() { return std::move(words_); }

 private:
  std::vector<std::uint16_t> words_;
};

DWORD dialog_style(DialogFrame frame) {
  DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
  if (frame == DialogFrame::title_menu_close) style |= WS_SYSMENU;
  return style;
}

struct ControlClass {
  WORD atom;
  DWORD style;
  DWORD extended_style;
};

// No push button is a default button, so Enter presses none of them.
ControlClass control_class(ControlKind kind) {
  switch (kind) {
    case ControlKind::text_box:
      return {edit_class, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::option_button:
      return {button_class, BS_AUTORADIOBUTTON | BS_VCENTER | WS_TABSTOP, 0};
    case ControlKind::push_button:
      return {button_class, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::label:
      break;
  }
  return {static_class, SS_LEFT, 0};
}

}  // namespace

std::vector<std::uint16_t> build_dialog_template(const DialogDescription& description) {
  TemplateWriter out;
  out.dword(dialog_style(description.frame));
  out.dword(0);
  out.word(static_cast<WORD>(description.controls.size()));
  out.coordinate(description.x);
  out.coordinate(description.y);
  out.coordinate(description.width);
  out.coordinate(description.height);
  out.word(0);  // no menu
  out.word(0);  // the standard dialog class
  out.text(description.title);
  out.word(dialog_font_points);
  out.text(dialog_font_face);

  for (const ControlDescription& control : description.controls) {
    const ControlClass cls = control_class(control.kind);
    out.align();
    out.dword(WS_CHILD | WS_VISIBLE | cls.style | (control.group_start ? WS_GROUP : 0));
    out.dword(cls.extended_style);
    out.coordinate(control.x);
    out.coordinate(control.y);
    out.coordinate(control.width);
    out.coordinate(control.height);
    out.word(static_cast<WORD>(control.id));
    out.word(0xFFFF);
    out.word(cls.atom);
    out.text(control.text);
    out.word(0);  // no creation data
  }
  return out.take();
}

}  // namespace veltrane
