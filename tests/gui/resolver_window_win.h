// QuorlinResolver.exe as the GUI tests meet it: copied to a fresh directory,
// started from there, its window found by its title and its six controls
// taken in creation order.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "prefix_setup_win.h"
#include "ui_driver_win.h"

namespace quorlin::test {

// The window's texts as code page 936 bytes.
// "Quorlin网盘解析器 ByVesk工作室"
inline const std::string kWindowTitle =
    "Quorlin\xCD\xF8\xC5\xCC\xBD\xE2\xCE\xF6\xC6\xF7 ByVesk\xB9\xA4\xD7\xF7\xCA\xD2";
inline const std::string kMessageTitle = "Vesk\xCC\xE1\xCA\xBE";  // "Vesk提示"
inline const std::string kResolveFailed =
    "\xBD\xE2\xCE\xF6\xD2\xEC\xB3\xA3\xA3\xA1";  // "解析异常！"
inline const std::string kNothingResolved = "\xC9\xD0\xCE\xB4\xBD\xE2\xCE\xF6";  // "尚未解析"
inline const std::string kDefaultAddress = "http://www.quorlin.com/down_19968240.html";

// The controls in creation order.
enum Control : std::size_t {
  kAddressBox,     // 编辑框1
  kAddressLabel,   // 透明标签1
  kResolveButton,  // 解析
  kResultBox,      // 编辑框2
  kResultLabel,    // 透明标签2
  kOpenButton,     // 解析3
  kControlCount
};

// QuorlinResolver.exe beside the test program.
std::string ProgramUnderTest();

class ResolverWindow {
 public:
  explicit ResolverWindow(const std::string& arguments = "");
  // Found, with exactly its six controls.
  bool Ready() const { return window_ && controls_.size() == kControlCount; }
  HWND Window() const { return window_; }
  HWND Item(Control control) const { return controls_.at(control); }
  const Program& Process() const { return *program_; }
  const std::string& Directory() const { return directory_.Path(); }
  // The message box the window shows, or null when none comes in `timeout`.
  HWND WaitForMessageBox(Milliseconds timeout = kUiTimeout) const;
  // Sends the WM_CLOSE of the close button and waits for the exit code.
  std::optional<DWORD> Close() const;

 private:
  TemporaryDirectory directory_;
  std::unique_ptr<Program> program_;
  HWND window_ = nullptr;
  std::vector<HWND> controls_;
};

// For the object's life, the shell's open of http and https runs
// shell_recorder.exe beside the test program, which appends each address it
// is given to Log() instead of opening a browser.
class ShellRecording {
 public:
  ShellRecording();
  bool Applied() const { return override_.Applied(); }
  const std::string& Log() const { return log_; }

 private:
  TemporaryDirectory logDirectory_;
  std::string log_;
  ShellOpenOverride override_;
};

}  // namespace quorlin::test
