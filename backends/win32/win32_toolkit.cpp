#include "backends/win32/win32_toolkit.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "backends/win32/dialog_template.h"
#include "backends/win32/gdi_device.h"
#include "backends/win32/text.h"

namespace veltrane {
namespace {

// Gives the activation back to a window of the program that lost it to an ownerless one.
void reactivate(HWND window) {
  if (window != nullptr && IsWindow(window) && GetActiveWindow() != window)
    SetForegroundWindow(window);
}

// A live dialog of show_modal, addressed through the portable Dialog interface.
class Win32Dialog final : public Dialog {
 public:
  HWND window = nullptr;
  bool ended = false;

  ~Win32Dialog() override {
    for (HICON icon : icons_) DestroyIcon(icon);
  }

  std::string get_text(int id) const override {
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return to_utf8(text);
  }

  int get_check(int id) const override {
    return IsDlgButtonChecked(window, id) == BST_CHECKED ? 1 : 0;
  }

  void set_text(int id, std::string_view text) override {
    SetDlgItemTextW(window, id, to_wide(text).c_str());
  }

  void set_title(std::string_view title) override {
    SetWindowTextW(window, to_wide(title).c_str());
  }

  void set_option(int first, int last, int checked) override {
    CheckRadioButton(window, first, last, checked);
  }

  void set_icon(std::string_view name) override {
    const std::wstring resource = to_wide(name);
    set_icon_image(resource, ICON_BIG, 32);
    set_icon_image(resource, ICON_SMALL, 16);
  }

  int get_focus() const override {
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(window, focus) ? GetDlgCtrlID(focus) : 0;
  }

  void set_focus(int id) override {
    if (HWND control = GetDlgItem(window, id))
      SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  }

  // While the window is disabled, an ownerless window of the command (the printer dialog)
  // can close with nothing to hand the activation back to. So the window takes back the
  // activation it had, and the control that had the keyboard focus gets it again.
  void set_enabled(bool enabled) override {
    if (!enabled) {
      was_active_ = GetActiveWindow() == window;
      disabled_focus_ = get_focus();
      EnableWindow(window, FALSE);
      return;
    }
    EnableWindow(window, TRUE);
    if (was_active_) reactivate(window);
    if (disabled_focus_ != 0 && GetActiveWindow() == window) set_focus(disabled_focus_);
    was_active_ = false;
    disabled_focus_ = 0;
  }

  void end_dialog(int result) override {
    ended = true;
    EndDialog(window, result);
  }

 private:
  void set_icon_image(const std::wstring& resource, WPARAM which, int size) {
    auto* icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), resource.c_str(), IMAGE_ICON, size, size, 0));
    if (icon == nullptr) return;
    icons_.push_back(icon);
    SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }

  std::vector<HICON> icons_;
  bool was_active_ = false;
  int disabled_focus_ = 0;
};

// Screen readers name a text box after the static text created just before it. That is not
// always its caption here (the first box follows all three captions of its column, and two
// follow a unit label), and the creation order is the keyboard order, which stays. So each box
// that has a caption is given its name through the accessibility annotation service. Where
// that service is missing the boxes keep the readers' own names.
class BoxNames {
 public:
  BoxNames(HWND window, const DialogDescription& description)
      : com_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&service_))))
      return;
    for (const ControlDescription& control : description.controls) {
      if (control.kind != ControlKind::text_box || control.caption == 0) continue;
      HWND box = GetDlgItem(window, control.id);
      HWND caption = GetDlgItem(window, control.caption);
      if (box == nullptr || caption == nullptr) continue;
      std::wstring name(static_cast<std::size_t>(GetWindowTextLengthW(caption)) + 1, L'\0');
      name.resize(static_cast<std::size_t>(
          GetWindowTextW(caption, name.data(), static_cast<int>(name.size()))));
      if (SUCCEEDED(service_->SetHwndPropStr(box, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME,
                                             name.c_str())))
        named_.push_back(box);
    }
  }

  ~BoxNames() {
    if (service_ != nullptr) {
      MSAAPROPID name = PROPID_ACC_NAME;
      for (HWND box : named_) service_->ClearHwndProps(box, OBJID_CLIENT, CHILDID_SELF, &name, 1);
      service_->Release();
    }
    // Each successful initialisation, the one that found COM already there included, is
    // matched by one uninitialisation.
    if (SUCCEEDED(com_)) CoUninitialize();
  }

  BoxNames(const BoxNames&) = delete;
  BoxNames& operator=(const BoxNames&) = delete;

 private:
  HRESULT com_;
  IAccPropServices* service_ = nullptr;
  std::vector<HWND> named_;
};

struct ModalState {
  Win32Dialog dialog;
  const DialogHandler* handler = nullptr;
  const DialogDescription* description = nullptr;
  std::unique_ptr<BoxNames> box_names;

  void deliver(DialogEventKind kind, int id = 0) { (*handler)(dialog, DialogEvent{kind, id}); }
};

// The first control in creation order that takes the keyboard focus.
HWND first_focus_control(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & WS_TABSTOP) != 0 && (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0)
      return child;
  }
  return nullptr;
}

INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<ModalState*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    state->dialog.window = window;
    state->box_names = std::make_unique<BoxNames>(window, *state->description);
    state->deliver(DialogEventKind::init);
    return FALSE;  // initialisation sets no focus; the first activation does
  }
  auto* state = reinterpret_cast<ModalState*>(GetWindowLongPtrW(window, DWLP_USER));
  if (state == nullptr) return FALSE;

  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        state->deliver(DialogEventKind::deactivated);
      } else {
        state->deliver(DialogEventKind::activated);
        if (state->dialog.get_focus() == 0) {
          if (HWND first = first_focus_control(window))
            SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
        }
      }
      // The handler owns the focus memory; the dialog manager's own would fight it.
      return TRUE;
    case WM_COMMAND:
      // Enter and Escape arrive as IDOK and IDCANCEL, which no control carries: they end
      // nothing and are no command.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) return TRUE;
      state->deliver(DialogEventKind::command, LOWORD(wparam));
      return TRUE;
    case WM_DESTROY:
      state->box_names.reset();
      return FALSE;
    case WM_CLOSE:
      // Handled here, or the dialog manager would turn it into IDCANCEL.
      state->deliver(DialogEventKind::close);
      if (!state->dialog.ended) state->dialog.end_dialog(0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void init_controls() {
  HMODULE library = LoadLibraryW(L"COMCTL32.DLL");
  if (library == nullptr) return;
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  // Through the generic function type, which GCC accepts for any function pointer cast.
  const auto init_ex = reinterpret_cast<InitEx>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "InitCommonControlsEx")));
  if (init_ex != nullptr) {
    // The standard families, the date and time controls and the internet address control.
    constexpr DWORD families = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES;
    static_assert(families == 0x9FF && sizeof(INITCOMMONCONTROLSEX) == 8);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), families};
    init_ex(&controls);
  } else {
    InitCommonControls();
  }
  FreeLibrary(library);
}

int Win32Toolkit::show_modal(const DialogDescription& description, Dialog* parent,
                             const DialogHandler& handler) {
  const std::vector<std::uint16_t> words = build_dialog_template(description);
  ModalState state;
  state.handler = &handler;
  state.description = &description;
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
      parent != nullptr ? dialog_window(*parent) : nullptr, dialog_procedure,
      reinterpret_cast<LPARAM>(&state));
  return result == -1 ? 0 : static_cast<int>(result);
}

int Win32Toolkit::message_window(std::string_view text, std::string_view title,
                                 MessageButtons buttons) {
  const UINT type =
      (buttons == MessageButtons::ok ? MB_OK : MB_OKCANCEL) | MB_TASKMODAL | MB_SETFOREGROUND;
  // The message window has no owner, and the program's windows are still disabled when it
  // closes; the window that was active gets the activation (and so its focus) back.
  HWND active = GetActiveWindow();
  const int answer = MessageBoxW(nullptr, to_wide(text).c_str(), to_wide(title).c_str(), type);
  reactivate(active);
  return answer == IDOK ? message_ok : message_cancel;
}

std::unique_ptr<PrintDevice> Win32Toolkit::open_printer(std::string_view document_name) {
  return open_gdi_printer(document_name);
}

HWND dialog_window(const Dialog& dialog) {
  const auto* win32 = dynamic_cast<const Win32Dialog*>(&dialog);
  return win32 != nullptr ? win32->window : nullptr;
}

}  // namespace veltrane
