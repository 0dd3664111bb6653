// The window smoke test's eyes inside Wine: started on the same desktop as the program, it
// reads what a person would see and writes it to RESULT (whole, so the script can wait for it).
//   window_probe RESULT launch PROGRAM [ARGUMENTS]  runs PROGRAM, waits, writes its exit code
//   window_probe RESULT texts TITLE        one line "ID TEXT" per control of the window
//   window_probe RESULT centre TITLE ID    the control's centre in screen pixels, "X Y"
//   window_probe RESULT focus TITLE        the identifier of the control with the keyboard focus
//   window_probe RESULT message TITLE      the text of a message window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "backends/win32/text.h"

namespace {

using veltrane::to_utf8;
using veltrane::to_wide;

// WM_GETTEXT rather than GetWindowText, which does not read other programs' controls.
std::string window_text(HWND window) {
  wchar_t text[4096] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                      &copied);
  return to_utf8(std::wstring_view(text, copied));
}

HWND find_window(const char* title) {
  return FindWindowW(nullptr, to_wide(title).c_str());
}

std::string launch(int count, char** words) {
  std::wstring command;
  for (int i = 0; i < count; ++i) command += (i == 0 ? L"\"" : L" \"") + to_wide(words[i]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return "not started";
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return std::to_string(code);
}

std::string texts(HWND window) {
  std::string out;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    out += std::to_string(GetDlgCtrlID(child)) + ' ' + window_text(child) + '\n';
  return out;
}

std::string centre(HWND window, int id) {
  RECT rect{};
  if (!GetWindowRect(GetDlgItem(window, id), &rect)) return "none";
  return std::to_string((rect.left + rect.right) / 2) + ' ' +
         std::to_string((rect.top + rect.bottom) / 2);
}

std::string focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
      info.hwndFocus == nullptr)
    return "0";
  return std::to_string(GetDlgCtrlID(info.hwndFocus));
}

// A message window's text is its static control 0xFFFF.
std::string message(HWND window) {
  return window_text(GetDlgItem(window, 0xFFFF));
}

std::string run(int argc, char** argv) {
  const std::string command = argv[2];
  if (command == "launch" && argc >= 4) return launch(argc - 3, argv + 3);
  HWND window = argc >= 4 ? find_window(argv[3]) : nullptr;
  if (window == nullptr) return "no window";
  if (command == "texts") return texts(window);
  if (command == "centre" && argc == 5) return centre(window, std::atoi(argv[4]));
  if (command == "focus") return focus(window);
  if (command == "message") return message(window);
  return "unknown command";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_probe RESULT COMMAND [ARGUMENTS]\n");
    return 2;
  }
  const std::string result = run(argc, argv);
  const std::string partial = std::string(argv[1]) + ".partial";
  if (FILE* file = std::fopen(partial.c_str(), "wb")) {
    std::fwrite(result.data(), 1, result.size(), file);
    std::fclose(file);
    MoveFileExA(partial.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);
  }
  return 0;
}
