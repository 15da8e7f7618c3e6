// Shows the window for a picture of it, or resolves an address through it,
// in whatever desktop this program was started in (scripts/screenshot.sh
// starts it in a Wine virtual desktop):
//   window_driver STATUS [ADDRESS]
// Maps the fonts, points the shell's http and https open at the recorder,
// starts QuorlinResolver.exe from a fresh directory; with ADDRESS, puts it in
// the address box, clicks the resolve button and waits for the result. Then
// writes STATUS ("shown", "resolved TEXT", "opened TEXT", or "failed WHY"
// lines) and keeps the window up until STATUS is deleted.
#include <windows.h>

#include <string>

#include "prefix_setup_win.h"
#include "resolver_window_win.h"
#include "ui_driver_win.h"

namespace {

using quorlin::test::Milliseconds;

constexpr Milliseconds kShowLimit{300000};

void WriteStatus(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  if (!quorlin::test::WriteWholeFile(partial, text)) return;
  MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string Resolve(const quorlin::test::ResolverWindow& app, const std::string& address,
                    const std::string& log) {
  using namespace quorlin::test;
  if (!SetText(app.Item(kAddressBox), address)) return "failed the address box took no text\n";
  // Posted rather than a real click, which did not reach the button inside
  // Wine's virtual desktop.
  PostMessageA(app.Item(kResolveButton), BM_CLICK, 0, 0);
  std::string result;
  HWND box = nullptr;
  WaitUntil([&] {
    result = WindowText(app.Item(kResultBox));
    box = FindMessageBox(app.Process().Id());
    return !result.empty() || box;
  });
  if (box) {
    const std::string text = ReadMessageBox(box).text;
    PressOk(box);
    return "failed the window said " + text + "\n";
  }
  if (result.empty()) return "failed no result in time\n";
  WaitUntil([&] { return !ReadWholeFile(log).empty(); }, Milliseconds(20000));
  return "resolved " + result + "\nopened " + FirstLine(ReadWholeFile(log)) + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorlin::test;
  if (argc < 2) return 2;
  const std::string status = argv[1];
  MapGuiFontsToCjkFont();
  const ShellRecording shell;
  const ResolverWindow app;
  if (!app.Ready()) {
    WriteStatus(status, "failed the window did not come up\n");
    return 1;
  }
  const std::string outcome = argc > 2 ? Resolve(app, argv[2], shell.Log()) : "shown\n";
  WriteStatus(status, outcome);
  WaitUntil([&] { return GetFileAttributesA(status.c_str()) == INVALID_FILE_ATTRIBUTES; },
            kShowLimit);
  const std::optional<DWORD> exitCode = app.Close();
  return exitCode == std::optional<DWORD>(0) && outcome.rfind("failed", 0) != 0 ? 0 : 1;
}
