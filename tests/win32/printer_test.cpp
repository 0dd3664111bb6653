// Prints through the real printer dialog and GDI printer of the Windows program, under Wine,
// onto the queues of a CUPS scheduler (print_test.sh starts one, and checks what it spooled).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"
#include "text.h"
#include "ui/control_ids.h"
#include "win32_toolkit.h"

namespace veltrane {
namespace {

using namespace std::chrono_literals;

// The printer dialog's controls, as the common dialogs number them.
constexpr int printer_combo = 0x473;     // cmb4
constexpr int print_to_file = 0x410;     // chx1
constexpr int selection_option = 0x421;  // rad2
constexpr int pages_option = 0x422;      // rad3

struct DialogSeen {
  std::string printer;
  bool print_to_file_enabled = true;
  bool selection_enabled = true;
  bool pages_enabled = true;
  bool owned = true;
};

// Answers the printer dialog of `thread` with `button` once it shows, noting what it offered.
class PrinterDialogUser {
 public:
  PrinterDialogUser(DWORD thread, int button)
      : thread_(thread), button_(button), acting_([this] { act(); }) {}

  ~PrinterDialogUser() {
    done_ = true;
    if (acting_.joinable()) acting_.join();
  }

  DialogSeen seen() {
    done_ = true;
    if (acting_.joinable()) acting_.join();
    return seen_;
  }

 private:
  void act() {
    while (!done_) {
      HWND dialog = nullptr;
      EnumThreadWindows(
          thread_,
          [](HWND window, LPARAM found) -> BOOL {
            if (!IsWindowVisible(window) || GetDlgItem(window, printer_combo) == nullptr)
              return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&dialog));
      if (dialog != nullptr) {
        wchar_t printer[256] = L"";
        GetDlgItemTextW(dialog, printer_combo, printer, 256);
        seen_ = {to_utf8(printer), control_enabled(dialog, print_to_file),
                 control_enabled(dialog, selection_option), control_enabled(dialog, pages_option),
                 GetWindow(dialog, GW_OWNER) != nullptr};
        PostMessageW(dialog, WM_COMMAND, button_, 0);
        return;
      }
      std::this_thread::sleep_for(50ms);
    }
  }

  static bool control_enabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control);
  }

  DWORD thread_;
  int button_;
  std::atomic<bool> done_ = false;
  DialogSeen seen_;
  std::thread acting_;
};

PrintOpener printer(Win32Toolkit& toolkit) {
  return [&toolkit](std::string_view name) { return toolkit.open_printer(name); };
}

// print_test.sh expects the jobs in this order: the template (landscape), then the 60 Hz
// strobe disk (portrait); the cancelled print leaves no job.
TEST(Win32Printer, PrintsTheTemplateOnTheDefaultPrinter) {
  Win32Toolkit toolkit;
  ParameterSet set;
  read_parameters(set, initial_main_window_fields());
  PrinterDialogUser user(GetCurrentThreadId(), IDOK);
  print_template_page(set, printer(toolkit));
  const DialogSeen seen = user.seen();
  EXPECT_EQ(seen.printer, "veltrane-pdf");
  EXPECT_FALSE(seen.print_to_file_enabled);
  EXPECT_FALSE(seen.selection_enabled);
  EXPECT_FALSE(seen.pages_enabled);
  EXPECT_FALSE(seen.owned);
}

TEST(Win32Printer, CancelPrintsNothing) {
  Win32Toolkit toolkit;
  PrinterDialogUser user(GetCurrentThreadId(), IDCANCEL);
  EXPECT_EQ(toolkit.open_printer(print_document_name), nullptr);
  EXPECT_EQ(user.seen().printer, "veltrane-pdf");
}

TEST(Win32Printer, PrintsTheStrobeDisk) {
  Win32Toolkit toolkit;
  ParameterSet set;
  set.correction_x = 1;
  set.correction_y = 1;
  PrinterDialogUser user(GetCurrentThreadId(), IDOK);
  const std::string blank(caption_length, ' ');
  print_strobe_page(set, 216, 160, blank, blank, printer(toolkit));
  EXPECT_EQ(user.seen().printer, "veltrane-pdf");
}

}  // namespace
}  // namespace veltrane
