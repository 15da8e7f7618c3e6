// MainWindow: the program's one window and its six controls.
#pragma once

#include <windows.h>

#include <string>

namespace quorlin {

inline constexpr char kMainWindowTitle[] = "Quorlin网盘解析器 ByVesk工作室";
inline constexpr char kMainWindowClass[] = "QuorlinResolverWindow";
inline constexpr int kMainWindowWidth = 390;
inline constexpr int kMainWindowHeight = 181;

// The controls' identifiers, in creation order.
enum ControlId : int {
  编辑框1 = 1001,  // the share-page address
  透明标签1,       // "地址："
  解析,            // "一键解析"
  编辑框2,         // the resolved address
  透明标签2,       // "解析："
  解析3,           // "打开解析后地址"
};

// Builds MainWindow hidden and centred with its controls, fires its created
// event, then shows it with the focus in 编辑框1. A window or control that
// cannot be made is the fatal stop.
HWND BuildMainWindow(HINSTANCE instance);

// Keys the window sees before the focused control: Tab and Shift+Tab walk the
// focus cycle, Esc closes, Enter does nothing. True when the key was kept.
bool PreTranslateKey(HWND window, const MSG& message);

// What the commands read and write.
std::string ReadAddressBox(HWND window);
std::string ReadResultBox(HWND window);
void SetResultBox(HWND window, const std::string& text);

}  // namespace quorlin
