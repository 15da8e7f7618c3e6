#include <ole2.h>
#include <windows.h>

#include "bound_function.h"
#include "program_runtime.h"
#include "text_scan.h"

namespace quorlin {

void StartRuntime() { OleInitialize(nullptr); }

void ShutDownRuntime() {
  UnloadBoundLibraries();
  OleUninitialize();
}

std::string RunDirectory() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
  // The last backslash that starts a character: a trail byte of a two-byte
  // character may be 0x5C too.
  int lastBackslash = -1;
  for (int at = FindInText(path, "\\", 1, false); at != -1;
       at = FindInText(path, "\\", at + 1, false)) {
    lastBackslash = at;
  }
  return lastBackslash == -1 ? std::string() : path.substr(0, lastBackslash - 1);
}

}  // namespace quorlin
