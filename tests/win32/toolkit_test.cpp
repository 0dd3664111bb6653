#include "backends/win32/win32_toolkit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "app/windows.h"
#include "backends/win32/text.h"
#include "model/field_reading.h"
#include "print/trace_device.h"
#include "strobe/strobe_page.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

using namespace std::chrono_literals;

// The main window's title as the system holds it.
const std::wstring main_title = to_wide(main_window_title);

bool eventually(const std::function<bool()>& condition) {
  for (auto waited = 0ms; waited < 10s; waited += 20ms) {
    if (condition()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return condition();
}

// `condition` within ten seconds, after an ownerless window of the program (a message
// window) has closed. The test display has no window manager: X then gives the keyboard
// focus to its root window, and Wine may take that for an activation of the desktop, or of
// no window, after the program has handed the activation back to `window`. A window
// manager would give the focus to the program's window; here the test does, so what is
// checked is what the program does with the activation.
bool eventually_after_ownerless(HWND window, const std::function<bool()>& condition) {
  return eventually([&] {
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr || foreground == GetDesktopWindow()) SetForegroundWindow(window);
    return condition();
  });
}

// A visible dialog of the given thread by its title; other programs' windows may be about.
HWND find_dialog(DWORD thread, const wchar_t* title) {
  struct Search {
    const wchar_t* title;
    HWND found;
  } search{title, nullptr};
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        wchar_t text[256] = L"", class_name[16] = L"";
        GetWindowTextW(window, text, 256);
        GetClassNameW(window, class_name, 16);
        if (IsWindowVisible(window) && wcscmp(text, search->title) == 0 &&
            wcscmp(class_name, L"#32770") == 0)
          search->found = window;
        return search->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND wait_for_dialog(DWORD thread, const wchar_t* title) {
  HWND found = nullptr;
  eventually([&] { return (found = find_dialog(thread, title)) != nullptr; });
  return found;
}

// The real toolkit with the printer replaced: no printer dialog, a trace instead of a page.
class TestToolkit final : public Win32Toolkit {
 public:
  std::atomic<int> printers_opened = 0;
  std::atomic<bool> main_enabled_while_printing = false;
  std::ostringstream printed;
  bool give_printer = false;

  std::unique_ptr<PrintDevice> open_printer(std::string_view document_name) override {
    ++printers_opened;
    main_enabled_while_printing =
        IsWindowEnabled(find_dialog(GetCurrentThreadId(), main_title.c_str()));
    return give_printer ? make_trace_device(printed, document_name) : nullptr;
  }
};

std::string text_of(HWND window) {
  wchar_t text[2048] = L"";
  GetWindowTextW(window, text, 2048);
  return to_utf8(text);
}

std::string control_text(HWND dialog, int id) {
  return text_of(GetDlgItem(dialog, id));
}

// Pixels of a box in dialog units, as the dialog manager maps them: position and size each
// on their own.
RECT dialog_units(HWND dialog, int x, int y, int width, int height) {
  RECT rect{x, y, width, height};
  MapDialogRect(dialog, &rect);
  return {rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

void post_command(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void post_key(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 1);
  PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

// Runs the program's main window on this thread, as the program does, while `user` acts
// on it from a second thread; returns the window's result. Whatever the user leaves open
// is closed afterwards, so a failed check cannot hang the test.
int run_with_user(TestToolkit& toolkit, const std::function<void(DWORD ui_thread)>& user) {
  const DWORD ui_thread = GetCurrentThreadId();
  std::atomic<bool> done = false;
  std::thread acting([&] {
    user(ui_thread);
    while (!done) {
      EnumThreadWindows(
          ui_thread,
          [](HWND window, LPARAM) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            return TRUE;
          },
          0);
      std::this_thread::sleep_for(100ms);
    }
  });
  ParameterSet set;
  const int result = run_main_window(toolkit, set);
  done = true;
  acting.join();
  return result;
}

int focused_id(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return 0;
  return GetDlgCtrlID(info.hwndFocus);
}

void set_focus(HWND dialog, int id) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

void expect_controls_as_described(HWND dialog, const DialogDescription& description) {
  std::size_t index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT), ++index) {
    ASSERT_LT(index, description.controls.size());
    const ControlDescription& control = description.controls[index];
    SCOPED_TRACE(control.id);
    EXPECT_EQ(GetDlgCtrlID(child), control.id);
    EXPECT_EQ(text_of(child), control.text);

    wchar_t class_name[64] = L"";
    GetClassNameW(child, class_name, 64);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    // An option group is one tab stop, at its checked option.
    const bool tab_stop = control.kind == ControlKind::option_button
                              ? SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED
                              : control.kind != ControlKind::label;
    EXPECT_EQ((style & WS_TABSTOP) != 0, tab_stop);
    EXPECT_EQ((style & WS_GROUP) != 0, control.group_start);
    switch (control.kind) {
      case ControlKind::label:
        EXPECT_STREQ(class_name, L"Static");
        break;
      case ControlKind::text_box:
        EXPECT_STREQ(class_name, L"Edit");
        EXPECT_NE(style & ES_AUTOHSCROLL, 0);
        EXPECT_NE(GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
        break;
      case ControlKind::option_button:
        EXPECT_STREQ(class_name, L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTORADIOBUTTON);
        break;
      case ControlKind::push_button:
        EXPECT_STREQ(class_name, L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);  // never a default button
        break;
    }

    RECT placed;
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    const RECT expected = dialog_units(dialog, control.x, control.y, control.width, control.height);
    EXPECT_EQ(placed.left, expected.left);
    EXPECT_EQ(placed.top, expected.top);
    EXPECT_EQ(placed.right, expected.right);
    EXPECT_EQ(placed.bottom, expected.bottom);
  }
  EXPECT_EQ(index, description.controls.size());
}

SIZE icon_size(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

TEST(Win32MainWindow, IsBuiltAsDescribed) {
  TestToolkit toolkit;
  const int result = run_with_user(toolkit, [](DWORD ui_thread) {
    HWND main = wait_for_dialog(ui_thread, main_title.c_str());
    ASSERT_NE(main, nullptr);
    // The first control that takes focus gets it on the first activation.
    EXPECT_TRUE(eventually([&] { return focused_id(ui_thread) == id_pivot; }));
    expect_controls_as_described(main, main_window_description());

    RECT client;
    GetClientRect(main, &client);
    const RECT size = dialog_units(main, 0, 0, 237, 202);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    // The position is the client area's, as with every dialog template.
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    const RECT place = dialog_units(main, 134, 120, 0, 0);
    EXPECT_EQ(origin.x, place.left);
    EXPECT_EQ(origin.y, place.top);

    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);

    const auto icon = [&](WPARAM which) {
      return icon_size(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, which, 0)));
    };
    EXPECT_EQ(icon(ICON_BIG).cx, 32);
    EXPECT_EQ(icon(ICON_SMALL).cx, 16);

    EXPECT_EQ(IsDlgButtonChecked(main, id_lofgren_a), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(main, id_lofgren_b), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(main, id_stevenson_a), BST_UNCHECKED);
    PostMessageW(main, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 0);
}

TEST(Win32MainWindow, PresetsReplaceTheRadiiAndOnlyTheCloseCommandEndsIt) {
  TestToolkit toolkit;
  std::atomic<bool> open_after_keys = false;
  const int result = run_with_user(toolkit, [&](DWORD ui_thread) {
    HWND main = wait_for_dialog(ui_thread, main_title.c_str());
    ASSERT_NE(main, nullptr);
    SetDlgItemTextW(main, id_pivot, L"250");
    SetDlgItemTextW(main, id_inner_radius, L"typed");
    // clang-format off
    const struct { int button; const char* inner; const char* outer; } presets[] = {
        {id_preset_iec,     "60.325", "146.05"},
        {id_preset_typical, "63",     "145"},
        {id_preset_din,     "57.5",   "146.05"},
    };
    // clang-format on
    for (const auto& preset : presets) {
      SendMessageW(GetDlgItem(main, preset.button), BM_CLICK, 0, 0);
      EXPECT_EQ(control_text(main, id_inner_radius), preset.inner);
      EXPECT_EQ(control_text(main, id_outer_radius), preset.outer);
    }
    EXPECT_EQ(control_text(main, id_pivot), "250");

    // Escape and Enter end nothing; a preset posted after them shows they were handled.
    post_key(GetDlgItem(main, id_pivot), VK_ESCAPE);
    post_key(GetDlgItem(main, id_id_text), VK_RETURN);
    post_command(main, id_preset_iec);
    EXPECT_TRUE(eventually([&] { return control_text(main, id_inner_radius) == "60.325"; }));
    open_after_keys = IsWindow(main) && IsWindowVisible(main);
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(open_after_keys);
  EXPECT_EQ(result, 0);
}

TEST(Win32MainWindow, HelpIsModalToTheProgramAndGivesTheFocusBack) {
  TestToolkit toolkit;
  const int result = run_with_user(toolkit, [&](DWORD ui_thread) {
    HWND main = wait_for_dialog(ui_thread, main_title.c_str());
    ASSERT_NE(main, nullptr);
    set_focus(main, id_correction_x);
    ASSERT_TRUE(eventually([&] { return focused_id(ui_thread) == id_correction_x; }));

    post_command(main, id_help);
    HWND help = wait_for_dialog(ui_thread, L"Help/About");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(GetWindow(help, GW_OWNER), nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(control_text(help, 0xFFFF), help_text());
    EXPECT_NE(GetDlgItem(help, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(help, IDCANCEL), nullptr);
    EXPECT_TRUE(eventually([&] { return GetForegroundWindow() == help; }));

    PostMessageW(help, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(eventually_after_ownerless(
        main, [&] { return IsWindowEnabled(main) && focused_id(ui_thread) == id_correction_x; }));
    EXPECT_EQ(control_text(main, id_inner_radius), "57.5");
    PostMessageW(main, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(toolkit.printers_opened, 0);
}

TEST(Win32MainWindow, TemplatePrintAsksFirstAndPrintsWithTheWindowDisabled) {
  TestToolkit toolkit;
  const int result = run_with_user(toolkit, [&](DWORD ui_thread) {
    HWND main = wait_for_dialog(ui_thread, main_title.c_str());
    ASSERT_NE(main, nullptr);
    SendMessageW(GetDlgItem(main, id_preset_iec), BM_CLICK, 0, 0);
    set_focus(main, id_correction_y);

    for (const int answer : {IDCANCEL, IDOK}) {
      post_command(main, id_print_template);
      HWND summary = wait_for_dialog(ui_thread, L"Confirm Parameters");
      ASSERT_NE(summary, nullptr);
      EXPECT_NE(control_text(summary, 0xFFFF).find("60.325"), std::string::npos);
      EXPECT_NE(GetDlgItem(summary, IDCANCEL), nullptr);
      PostMessageW(summary, WM_COMMAND, answer, 0);
      EXPECT_TRUE(eventually([&] {
        return find_dialog(ui_thread, L"Confirm Parameters") == nullptr && IsWindowEnabled(main);
      }));
      EXPECT_EQ(toolkit.printers_opened, answer == IDOK ? 1 : 0);
    }
    EXPECT_FALSE(toolkit.main_enabled_while_printing);
    EXPECT_TRUE(
        eventually_after_ownerless(main, [&] { return focused_id(ui_thread) == id_correction_y; }));
    PostMessageW(main, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 0);
}

TEST(Win32CustomStrobeDialog, OpensOverTheMainWindowFromTheDefaultsAndPrintsOnOk) {
  TestToolkit toolkit;
  toolkit.give_printer = true;
  const int result = run_with_user(toolkit, [&](DWORD ui_thread) {
    HWND main = wait_for_dialog(ui_thread, main_title.c_str());
    ASSERT_NE(main, nullptr);
    SetDlgItemTextW(main, id_correction_x, L"1.02");

    post_command(main, id_print_custom);
    HWND custom = wait_for_dialog(ui_thread, L"Custom Strobe Parameters");
    ASSERT_NE(custom, nullptr);
    expect_controls_as_described(custom, custom_strobe_description());
    EXPECT_EQ(GetWindow(custom, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(GetWindowLongPtrW(custom, GWL_STYLE) & WS_SYSMENU, 0);
    POINT main_origin{0, 0};
    ClientToScreen(main, &main_origin);
    POINT origin{0, 0};
    ClientToScreen(custom, &origin);
    const RECT place = dialog_units(custom, 102, 88, 0, 0);
    EXPECT_EQ(origin.x, main_origin.x + place.left);
    EXPECT_EQ(origin.y, main_origin.y + place.top);

    SetDlgItemTextW(custom, id_outer_bars, L"99");
    post_key(GetDlgItem(custom, id_outer_bars), VK_ESCAPE);
    post_command(custom, id_custom_cancel);
    EXPECT_TRUE(eventually([&] { return !IsWindow(custom) && IsWindowEnabled(main); }));
    EXPECT_EQ(toolkit.printers_opened, 0);

    post_command(main, id_print_custom);
    custom = wait_for_dialog(ui_thread, L"Custom Strobe Parameters");
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(control_text(custom, id_outer_bars), "216");
    SetDlgItemTextW(custom, id_outer_bars, L"100");
    SetDlgItemTextW(custom, id_inner_bars, L"72");
    SetDlgItemTextW(custom, id_caption_1, L"78 RPM \u00B0");
    post_command(custom, id_custom_ok);
    EXPECT_TRUE(eventually([&] { return !IsWindow(custom) && IsWindowEnabled(main); }));
    EXPECT_EQ(toolkit.printers_opened, 1);
    PostMessageW(main, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 0);

  ParameterSet set;
  set.correction_x = 1.02;
  set.correction_y = 1.0;
  std::ostringstream expected;
  print_strobe_page(set, 100, 72, centred_text(utf8_to_cp1252("78 RPM \u00B0"), caption_length),
                    centred_text("45 RPM - 60 HZ - 160 BARS", caption_length),
                    trace_opener(expected));
  EXPECT_EQ(toolkit.printed.str(), expected.str());
}

// Acts on a message window from a second thread while this one waits in it.
int answer_message(MessageButtons buttons, std::function<void(HWND)> answer) {
  const DWORD ui_thread = GetCurrentThreadId();
  std::thread user([&] {
    HWND box = wait_for_dialog(ui_thread, L"Question");
    if (box == nullptr) return;
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(control_text(box, 0xFFFF), "first line\nsecond line");
    answer(box);
  });
  Win32Toolkit toolkit;
  const int result = toolkit.message_window("first line\nsecond line", "Question", buttons);
  user.join();
  return result;
}

TEST(Win32Toolkit, MessageWindowAnswers) {
  const auto press = [](int button) {
    return [button](HWND box) { PostMessageW(box, WM_COMMAND, button, 0); };
  };
  const auto close = [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); };
  EXPECT_EQ(answer_message(MessageButtons::ok_cancel, press(IDOK)), message_ok);
  EXPECT_EQ(answer_message(MessageButtons::ok_cancel, press(IDCANCEL)), message_cancel);
  EXPECT_EQ(answer_message(MessageButtons::ok_cancel, close), message_cancel);
  EXPECT_EQ(answer_message(MessageButtons::ok, press(IDOK)), message_ok);
}

// With no printer installed the printing service may say so itself; the toolkit opens no
// job and adds nothing of its own.
TEST(Win32Toolkit, NoPrinterMeansNoJob) {
  const DWORD ui_thread = GetCurrentThreadId();
  std::atomic<bool> finished = false;
  std::thread user([&] {
    while (!finished) {
      if (HWND notice = find_dialog(ui_thread, L"Print")) PostMessageW(notice, WM_COMMAND, IDOK, 0);
      std::this_thread::sleep_for(50ms);
    }
  });
  Win32Toolkit toolkit;
  EXPECT_EQ(toolkit.open_printer(print_document_name), nullptr);
  finished = true;
  user.join();
}

TEST(Win32Toolkit, InitControlsRegistersTheCommonControls) {
  init_controls();
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  for (const wchar_t* name : {L"SysListView32", L"SysDateTimePick32", L"SysIPAddress32"})
    EXPECT_TRUE(GetClassInfoExW(nullptr, name, &info)) << to_utf8(name);
}

using IconEntry = std::pair<int, int>;  // size in pixels, bits per pixel

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Win32Program, CarriesItsIconGroupAndCommonControlsManifest) {
  const std::wstring path = L"Z:" + to_wide(VELTRANE_PROGRAM);
  HMODULE program = LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);

  HRSRC group = FindResourceW(program, L"APPICON", RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* words = static_cast<const WORD*>(LockResource(LoadResource(program, group)));
  const auto* entries = reinterpret_cast<const IconGroupEntry*>(words + 3);
  std::set<IconEntry> found;
  for (WORD i = 0; i < words[2]; ++i)
    found.insert({entries[i].width == 0 ? 256 : entries[i].width, entries[i].bits});
  std::set<IconEntry> expected;
  for (int size : {16, 32, 48, 256})
    for (int bits : {4, 8, 32}) expected.insert({size, bits});
  EXPECT_EQ(words[2], 12);
  EXPECT_EQ(found, expected);

  HRSRC manifest = FindResourceW(program, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(program, manifest))),
                         SizeofResource(program, manifest));
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  FreeLibrary(program);
}

}  // namespace
}  // namespace veltrane
