// The program's entry: OLE, the run directory, MainWindow and its loop.
#include <windows.h>

#include "main_window_win.h"
#include "program_runtime.h"

namespace quorlin {
namespace {

void RunMessageLoop(HWND window) {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (PreTranslateKey(window, message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

int StartProgram() {
  StartRuntime();
  SetCurrentDirectoryA(RunDirectory().c_str());
  const HWND window = BuildMainWindow(GetModuleHandleA(nullptr));
  if (IsWindow(window)) RunMessageLoop(window);
  ShutDownRuntime();
  return 0;
}

}  // namespace quorlin

// The command line is never read.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return quorlin::StartProgram(); }
