#include "ui_driver_win.h"

#include <cstring>
#include <thread>

namespace quorlin::test {
namespace {

constexpr Milliseconds kPollInterval{50};
// A window that does not answer a message in this time is taken as hung.
constexpr UINT kMessageTimeoutMs = 20000;

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = path + "\\" + name;
      // Read-only entries, directories included, would stay.
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

struct WindowSearch {
  DWORD processId;
  std::function<bool(HWND)> wanted;
  HWND found;
};

BOOL CALLBACK TakeWantedWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  if (search->processId != 0 && ProcessOf(window) != search->processId) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  if (!search->wanted(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& wanted) {
  WindowSearch search{processId, wanted, nullptr};
  EnumWindows(TakeWantedWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

HWND WaitForTopLevel(DWORD processId, const std::function<bool(HWND)>& wanted,
                     Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(processId, wanted)) != nullptr; }, timeout);
  return found;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

INPUT MouseInput(DWORD flags, LONG x = 0, LONG y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = x;
  input.mi.dy = y;
  input.mi.dwFlags = flags;
  return input;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  std::this_thread::sleep_for(Milliseconds(50));
}

}  // namespace

void HandleCloser::operator()(HANDLE handle) const {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

void LibraryFreer::operator()(HMODULE module) const {
  if (module) FreeLibrary(module);
}

bool WaitUntil(const std::function<bool()>& ready, Milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

std::string ModuleDirectory() {
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string full(path, length);
  return full.substr(0, full.find_last_of('\\'));
}

TemporaryDirectory::TemporaryDirectory() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  for (unsigned attempt = 0; path_.empty(); ++attempt) {
    const std::string candidate = std::string(base) + "quorlin-gui-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount() + attempt);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
  }
}

TemporaryDirectory::~TemporaryDirectory() { RemoveTree(path_); }

std::string TemporaryDirectory::CopyIn(const std::string& file) const {
  const std::string copy = path_ + "\\" + file.substr(file.find_last_of("\\/") + 1);
  return CopyFileA(file.c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

std::optional<std::string> ReadFileIfAny(const std::string& path) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

std::string ReadWholeFile(const std::string& path) { return ReadFileIfAny(path).value_or(""); }

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.get() != INVALID_HANDLE_VALUE &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

Program::Program(const std::string& executable, const std::string& arguments,
                 const std::string& directory) {
  std::string commandLine = "\"" + executable + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.c_str(), &startup, &info)) {
    return;
  }
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  id_ = info.dwProcessId;
}

Program::~Program() {
  if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10000);
  }
}

std::optional<DWORD> Program::WaitForExit(Milliseconds timeout) const {
  if (!process_) return std::nullopt;
  if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

HWND WaitForWindow(DWORD processId, const std::string& title, Milliseconds timeout) {
  return WaitForTopLevel(
      processId, [&](HWND window) { return WindowText(window) == title; }, timeout);
}

HWND FindMessageBox(DWORD processId) {
  return FindTopLevel(processId, [](HWND window) { return ClassName(window) == "#32770"; });
}

HWND WaitForMessageBox(DWORD processId, Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindMessageBox(processId)) != nullptr; }, timeout);
  return found;
}

std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &length)) {
    return "<no answer>";
  }
  // The length may count characters where the ANSI text has two bytes each.
  std::string text(length * 2 + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool SetText(HWND window, const std::string& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) &&
         result == TRUE;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? length : 0);
}

RECT OuterRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT RectInParent(HWND child) {
  RECT rect = OuterRect(child);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)); }
DWORD ExStyle(HWND window) { return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)); }

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

HWND ActiveOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndActive;
}

HICON IconOf(HWND window, WPARAM which) {
  DWORD_PTR icon = 0;
  SendMessageTimeoutA(window, WM_GETICON, which, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &icon);
  return reinterpret_cast<HICON>(icon);
}

bool BringToFront(HWND window) {
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, Milliseconds(10000));
}

void PressKey(WORD key, const std::vector<WORD>& modifiers) {
  std::vector<INPUT> inputs;
  for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
    inputs.push_back(KeyInput(*it, true));
  }
  Send(std::move(inputs));
}

void ClickAt(POINT point, int clicks) {
  const LONG width = GetSystemMetrics(SM_CXSCREEN);
  const LONG height = GetSystemMetrics(SM_CYSCREEN);
  // Absolute coordinates run from 0 to 65535 across the primary screen.
  const LONG x = (point.x * 65536 + width - 1) / width;
  const LONG y = (point.y * 65536 + height - 1) / height;
  std::vector<INPUT> inputs{MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y)};
  for (int i = 0; i < clicks; ++i) {
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN));
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP));
  }
  Send(std::move(inputs));
}

void ClickCentre(HWND window) {
  const RECT rect = OuterRect(window);
  ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void PostSystemCommand(HWND window, WPARAM command) {
  PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

MessageBoxContent ReadMessageBox(HWND box) {
  MessageBoxContent content;
  content.title = WindowText(box);
  content.text = WindowText(GetDlgItem(box, 0xFFFF));
  for (HWND child : Children(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::string kind = ClassName(child);
    if (_stricmp(kind.c_str(), "Button") == 0) content.buttons.push_back(WindowText(child));
    if (_stricmp(kind.c_str(), "Static") == 0 && (Style(child) & SS_TYPEMASK) == SS_ICON) {
      // Wine keeps an empty icon control in every box; only one that holds
      // an icon and takes room shows one.
      const RECT area = OuterRect(child);
      DWORD_PTR icon = 0;
      SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &icon);
      if (icon && !IsRectEmpty(&area)) content.hasIcon = true;
    }
  }
  return content;
}

bool PressOk(HWND box) {
  const HWND ok = GetDlgItem(box, IDOK);
  if (!ok) return false;
  BringToFront(box);
  ClickCentre(ok);
  return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, Milliseconds(15000));
}

std::optional<VersionBlock> VersionBlock::Read(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  VersionBlock block;
  block.bytes_.resize(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.bytes_.data())) return std::nullopt;
  void* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.bytes_.data(), "\\", &fixed, &length) ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  block.fixed_ = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  return block;
}

std::vector<std::pair<WORD, WORD>> VersionBlock::Translations() const {
  void* data = nullptr;
  UINT length = 0;
  std::vector<std::pair<WORD, WORD>> translations;
  if (!VerQueryValueA(bytes_.data(), "\\VarFileInfo\\Translation", &data, &length)) {
    return translations;
  }
  const auto* words = static_cast<const WORD*>(data);
  for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) {
    translations.emplace_back(words[i], words[i + 1]);
  }
  return translations;
}

std::optional<std::string> VersionBlock::String(const std::string& table,
                                                const std::string& name) const {
  void* data = nullptr;
  UINT length = 0;
  const std::string query = "\\StringFileInfo\\" + table + "\\" + name;
  if (!VerQueryValueA(bytes_.data(), query.c_str(), &data, &length)) return std::nullopt;
  return std::string(static_cast<const char*>(data));
}

namespace {

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR parameter) {
  reinterpret_cast<std::vector<LANGID>*>(parameter)->push_back(language);
  return TRUE;
}

}  // namespace

std::optional<IconGroup> ReadIconGroup(const std::string& path, const std::string& name) {
  const UniqueLibrary module(LoadLibraryExA(
      path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return std::nullopt;
  IconGroup group;
  EnumResourceLanguagesA(module.get(), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, name.c_str(),
                         TakeLanguage, reinterpret_cast<LONG_PTR>(&group.languages));
  const HRSRC resource = FindResourceA(module.get(), name.c_str(), MAKEINTRESOURCEA(14));
  if (!resource) return std::nullopt;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module.get(), resource)));
  const DWORD size = SizeofResource(module.get(), resource);
  // GRPICONDIR: reserved, type, count; then 14-byte entries, packed.
  constexpr DWORD kHeader = 6;
  constexpr DWORD kEntry = 14;
  if (!bytes || size < kHeader) return std::nullopt;
  WORD count = 0;
  std::memcpy(&count, bytes + 4, sizeof count);
  if (size < kHeader + count * kEntry) return std::nullopt;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry = bytes + kHeader + i * kEntry;
    IconImage image;
    image.width = entry[0] ? entry[0] : 256;
    image.height = entry[1] ? entry[1] : 256;
    image.colourCount = entry[2];
    WORD bitCount = 0;
    std::memcpy(&bitCount, entry + 6, sizeof bitCount);
    image.bitCount = bitCount;
    group.images.push_back(image);
  }
  return group;
}

}  // namespace quorlin::test
