#include <windows.h>

#include <memory>

#include "bound_function.h"
#include "platform.h"
#include "program_runtime.h"

namespace quorlin::cli {
namespace {

// The console's code page; a process without a console (output to a pipe
// from a service, say) speaks the ANSI code page like the core.
UINT TerminalCodePage() {
  const UINT codePage = GetConsoleOutputCP();
  return codePage != 0 ? codePage : GetACP();
}

std::wstring Widen(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), units);
  return wide;
}

std::string Narrow(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
  return text;
}

std::string Convert(std::string_view text, UINT from, UINT to) {
  return from == to ? std::string(text) : Narrow(Widen(text, from), to);
}

struct LocalFreeDeleter {
  void operator()(LPWSTR* p) const { LocalFree(p); }
};

}  // namespace

PlatformSession::PlatformSession() { StartRuntime(); }
PlatformSession::~PlatformSession() { ShutDownRuntime(); }

std::vector<std::string> TerminalArguments(int, char**) {
  // The C runtime's argv is in the ANSI code page, which loses what it cannot
  // hold; the wide command line has every character.
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(
      CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> args;
  for (int i = 1; argv && i < count; ++i) args.push_back(Narrow(argv.get()[i], TerminalCodePage()));
  return args;
}

std::string TerminalToNarrow(std::string_view text) {
  return Convert(text, TerminalCodePage(), GetACP());
}

std::string NarrowToTerminal(std::string_view text) {
  return Convert(text, GetACP(), TerminalCodePage());
}

bool OpenWithSystem(const std::string& narrowAddress) {
  static constexpr BoundFunction<HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)>
      kShellExecuteA{"shell32.dll", "ShellExecuteA"};
  const HINSTANCE result =
      kShellExecuteA(nullptr, "open", narrowAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // ShellExecute reports success as a value above 32.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace quorlin::cli
