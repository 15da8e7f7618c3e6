// Stands in for the browser: the GUI tests point the shell's open command
// for http and https at this program, so that they read exactly what the
// shell handed over and nothing else opens.
//   shell_recorder LOG ARGUMENT...
// appends one line to LOG: the arguments after LOG in the ANSI code page,
// separated by 0x1F when the shell split them into more than one.
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>

namespace {

struct LocalFreer {
  void operator()(LPWSTR* block) const { LocalFree(block); }
};

std::string ToAnsi(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(bytes.size() - 1);
  return bytes;
}

}  // namespace

int main() {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreer> arguments(
      CommandLineToArgvW(GetCommandLineW(), &count));
  if (!arguments || count < 2) return 2;
  std::string line;
  for (int i = 2; i < count; ++i) {
    if (i > 2) line += '\x1F';
    line += ToAnsi(arguments.get()[i]);
  }
  line += '\n';
  const HANDLE log = CreateFileW(arguments.get()[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(log);
  return ok ? 0 : 1;
}
