#include "resolver_window_win.h"

namespace quorlin::test {
namespace {

std::wstring Wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  wide.resize(wide.size() - 1);
  return wide;
}

}  // namespace

std::string ProgramUnderTest() { return ModuleDirectory() + "\\QuorlinResolver.exe"; }

ResolverWindow::ResolverWindow(const std::string& arguments) {
  const std::string program = directory_.CopyIn(ProgramUnderTest());
  program_ = std::make_unique<Program>(program, arguments, directory_.Path());
  if (!program_->Started()) return;
  window_ = WaitForWindow(program_->Id(), kWindowTitle);
  if (!window_) return;
  // The controls exist before the window is shown, so a shown window has them all.
  controls_ = Children(window_);
}

HWND ResolverWindow::WaitForMessageBox(Milliseconds timeout) const {
  return test::WaitForMessageBox(program_->Id(), timeout);
}

std::optional<DWORD> ResolverWindow::Close() const {
  PostMessageA(window_, WM_CLOSE, 0, 0);
  return program_->WaitForExit();
}

ShellRecording::ShellRecording()
    : log_(logDirectory_.Path() + "\\shell.log"),
      override_({L"http", L"https"}, L"\"" + Wide(ModuleDirectory()) +
                                         L"\\shell_recorder.exe\" \"" + Wide(log_) + L"\" \"%1\"") {
}

}  // namespace quorlin::test
