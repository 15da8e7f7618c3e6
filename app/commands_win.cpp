#include "commands_win.h"

#include <string>

#include "bound_function.h"
#include "link_resolver.h"
#include "main_window_win.h"

namespace quorlin {
namespace {

constexpr char kResolveFailedMessage[] = "解析异常！";
constexpr char kNothingToOpenMessage[] = "尚未解析";
constexpr char kMessageTitle[] = "Vesk提示";
constexpr char kOpenVerb[] = "open";
// A browser window that the shell's "open" may be owned by.
constexpr char kBrowserWindowTitle[] = "Microsoft Internet Explorer";

constexpr BoundFunction<HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)> kShellExecuteA{
    "shell32.dll", "ShellExecuteA"};

void ShowMessage(const char* text) {
  MessageBoxA(nullptr, text, kMessageTitle, MB_OK | MB_TASKMODAL);
}

}  // namespace

void OnResolveClicked(HWND window) {
  const std::string first = ResolveDownloadAddress(ReadAddressBox(window));
  if (first.empty()) {
    ShowMessage(kResolveFailedMessage);
    return;
  }
  // A second, complete resolution fills the box; the shell gets the first.
  const std::string second = ResolveDownloadAddress(ReadAddressBox(window));
  SetResultBox(window, second);
  kShellExecuteA(nullptr, kOpenVerb, first.c_str(), "", "", SW_SHOWNORMAL);
}

void OnOpenClicked(HWND window) {
  const std::string address = ReadResultBox(window);
  if (address.empty()) {
    ShowMessage(kNothingToOpenMessage);
    return;
  }
  const HWND owner = FindWindowExA(nullptr, nullptr, nullptr, kBrowserWindowTitle);
  kShellExecuteA(owner, kOpenVerb, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quorlin
