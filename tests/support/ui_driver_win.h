// Drives a Windows program from outside, as a person at the keyboard would:
// start it, find its windows, read what they show, press real keys and
// click, answer its message boxes. Everything that waits has a time limit.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace quorlin::test {

using Milliseconds = std::chrono::milliseconds;

// Wine starts processes and windows slowly on a busy machine.
inline constexpr Milliseconds kUiTimeout{60000};

struct HandleCloser {
  void operator()(HANDLE handle) const;
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct LibraryFreer {
  void operator()(HMODULE module) const;
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// Polls `ready` until it holds; false when the time is up.
bool WaitUntil(const std::function<bool()>& ready, Milliseconds timeout = kUiTimeout);

// The directory of the running program, without a trailing backslash.
std::string ModuleDirectory();

// A fresh directory under the temporary directory, removed with its contents.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::string& Path() const { return path_; }
  // Copies `file` in under its own name and returns the copy's path.
  std::string CopyIn(const std::string& file) const;

 private:
  std::string path_;
};

// The bytes of a file; nothing when it cannot be opened.
std::optional<std::string> ReadFileIfAny(const std::string& path);
// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Replaces the file's content with `bytes`; false unless all were written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// A program started by the test; ended by force if it still runs when the
// test lets go of it.
class Program {
 public:
  // `arguments` follow the quoted program path on the command line.
  Program(const std::string& executable, const std::string& arguments,
          const std::string& directory);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_.get(); }
  // The exit code, or nothing when the program still runs after `timeout`.
  std::optional<DWORD> WaitForExit(Milliseconds timeout = kUiTimeout) const;

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// A visible top-level window of the process (of any process, for 0) on the
// calling thread's desktop that `wanted` takes; null when there is none.
HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& wanted);
// A visible top-level window of the process with exactly this title, as
// ANSI bytes; null when none shows up in time.
HWND WaitForWindow(DWORD processId, const std::string& title, Milliseconds timeout = kUiTimeout);
// A visible message box (dialog class "#32770") of the process.
HWND WaitForMessageBox(DWORD processId, Milliseconds timeout = kUiTimeout);
HWND FindMessageBox(DWORD processId);

// Properties read across the process boundary.
std::string WindowText(HWND window);                 // ANSI bytes, WM_GETTEXT
bool SetText(HWND window, const std::string& text);  // WM_SETTEXT, as a program would
std::string ClassName(HWND window);
RECT OuterRect(HWND window);              // screen coordinates
RECT RectInParent(HWND child);            // client coordinates of the parent
std::vector<HWND> Children(HWND window);  // GW_CHILD then GW_HWNDNEXT
DWORD Style(HWND window);
DWORD ExStyle(HWND window);
HWND FocusOf(HWND window);  // the focus of the window's thread (GetGUIThreadInfo)
HWND ActiveOf(HWND window);
HICON IconOf(HWND window, WPARAM which);  // WM_GETICON

// Real input through SendInput, to whatever window is in front.
bool BringToFront(HWND window);
void PressKey(WORD key, const std::vector<WORD>& modifiers = {});
void ClickAt(POINT point, int clicks = 1);  // screen coordinates
void ClickCentre(HWND window);
// Posted system commands (minimise, restore) as from the window menu.
void PostSystemCommand(HWND window, WPARAM command);

// Where Wine differs from Windows, the tests say so and check what they can.
bool RunningUnderWine();

struct MessageBoxContent {
  std::string title;
  std::string text;                  // the static text control 0xFFFF
  std::vector<std::string> buttons;  // captions of the visible buttons
  bool hasIcon = false;              // a visible icon control
};
MessageBoxContent ReadMessageBox(HWND box);
// Clicks the box's OK button and waits until the box has gone.
bool PressOk(HWND box);

// The version block of a file, read back with GetFileVersionInfo.
class VersionBlock {
 public:
  static std::optional<VersionBlock> Read(const std::string& path);
  const VS_FIXEDFILEINFO& Fixed() const { return *fixed_; }
  std::vector<std::pair<WORD, WORD>> Translations() const;  // language, code page
  // A string of a table such as "080404B0", in the ANSI code page.
  std::optional<std::string> String(const std::string& table, const std::string& name) const;

 private:
  std::vector<BYTE> bytes_;
  const VS_FIXEDFILEINFO* fixed_ = nullptr;
};

struct IconImage {
  int width = 0;
  int height = 0;
  int colourCount = 0;  // 0 means 256 or more
  int bitCount = 0;
};
struct IconGroup {
  std::vector<LANGID> languages;
  std::vector<IconImage> images;
};
// The icon group `name` of a program file, parsed from RT_GROUP_ICON.
std::optional<IconGroup> ReadIconGroup(const std::string& path, const std::string& name);

}  // namespace quorlin::test
