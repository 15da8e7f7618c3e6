// What the GUI tests change in the Wine prefix they run in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorlin::test {

// Makes the Chinese captions legible in a prefix that has no Chinese fonts
// of Windows: the faces the window and Wine's frame ask for (SimSun through
// "MS Shell Dlg", and the rest in the source) are replaced by, or linked to,
// the installed WenQuanYi Zen Hei. Takes effect in processes started after
// it.
bool MapGuiFontsToCjkFont();

// Points the shell's "open" of the given URL schemes at `command` for the
// life of the object (HKCR\SCHEME\shell\open\command), then puts the old
// commands back.
class ShellOpenOverride {
 public:
  ShellOpenOverride(const std::vector<std::wstring>& schemes, const std::wstring& command);
  ~ShellOpenOverride();
  ShellOpenOverride(const ShellOpenOverride&) = delete;
  ShellOpenOverride& operator=(const ShellOpenOverride&) = delete;
  bool Applied() const { return applied_; }

 private:
  struct Saved {
    std::wstring scheme;
    bool existed;
    std::wstring command;
  };
  std::vector<Saved> saved_;
  bool applied_ = true;
};

}  // namespace quorlin::test
