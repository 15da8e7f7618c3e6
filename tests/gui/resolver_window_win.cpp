#include "resolver_window_win.h"

namespace quorlin::test {

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

}  // namespace quorlin::test
