// The deployment on the real program: QuorlinResolver.exe is copied into fresh
// directories and started there; what it leaves beside itself, what it shows
// and how it ends are read from outside, as a user would see them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "skin_cases.h"
#include "skin_format.h"

namespace {

using namespace quorlin_skin;

constexpr auto kRunTimeLimit = std::chrono::seconds(120);  // Wine starts processes slowly
constexpr auto kPaintTimeLimit = std::chrono::seconds(10);
constexpr DWORD kStopExitCode = static_cast<DWORD>(-1);
constexpr char kMainWindowClass[] = "QuorlinResolverWindow";

// Code page 936 bytes, spelled out so that they do not depend on the compiler's conversion.
const std::string kStopTitle = "\xB4\xED\xCE\xF3";
const std::string kMissingEngineText =
    "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n"
    "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"
    "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
    "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0"
    "Eda.dll\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0"
    "SkinH_AttachRes\xA1\xB1\r\n";
// "工具": a directory name of two two-byte characters.
const std::string kTools = "\xB9\xA4\xBE\xDF";
// One two-byte character whose trail byte is 'E', then "da": the bytes hold
// "Eda", the characters do not.
const std::string kEdaAcrossACharacter =
    "\xB6"
    "Eda";

// Paths of the build come as Unix paths; Wine shows the Unix root as drive Z.
std::string WindowsPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
}

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::optional<std::string> ReadBytes(const std::string& path) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.get() != INVALID_HANDLE_VALUE &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = path + "\\" + name;
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

// A fresh directory under the temporary directory, removed with all it holds.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    char temp[MAX_PATH];
    char unique[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // A fresh name from the system, as a file that then makes way for the directory.
    GetTempFileNameA(temp, "qsd", 0, unique);
    DeleteFileA(unique);
    root_ = unique;
    CreateDirectoryA(root_.c_str(), nullptr);
  }
  ~ScratchDirectory() { RemoveTree(root_); }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& root() const { return root_; }

  // Makes root\relative, parents included, and returns its full path.
  std::string Make(const std::string& relative) const {
    std::string path = root_;
    std::size_t start = 0;
    while (start <= relative.size()) {
      const std::size_t end = std::min(relative.find('\\', start), relative.size());
      path += "\\" + relative.substr(start, end - start);
      CreateDirectoryA(path.c_str(), nullptr);
      start = end + 1;
    }
    return path;
  }

 private:
  std::string root_;
};

std::string WindowText(HWND window) {
  char text[4096] = {};
  const LRESULT length =
      SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, static_cast<std::size_t>(length));
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct WindowSearch {
  DWORD processId;
  std::string className;
  HWND found;
};

BOOL CALLBACK TakeVisibleWindowOfClass(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((search->processId != 0 && owner != search->processId) || !IsWindowVisible(window) ||
      ClassOf(window) != search->className) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A visible top-level window of the process (of any, for 0) on the calling
// thread's desktop.
HWND FindVisibleWindow(DWORD processId, const std::string& className) {
  WindowSearch search{processId, className, nullptr};
  EnumWindows(TakeVisibleWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct MessageBoxSeen {
  std::string title;
  std::string text;  // the box's longest static text
};

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen{WindowText(box), ""};
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0) continue;
    const std::string text = WindowText(child);
    if (text.size() > seen.text.size()) seen.text = text;
  }
  return seen;
}

// Wine draws a window's caption and frame itself only on a virtual desktop;
// on the desktop of the test run the X server has no window manager, and no
// caption is drawn anywhere. Starting the program through Wine's explorer
// gives it a virtual desktop of its own, which a thread of ours can join.
class VirtualDesktop {
 public:
  VirtualDesktop(const std::string& name, const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "explorer.exe /desktop=" + name + ",640x480 \"" + program + "\"";
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return;
    }
    explorer_.reset(process.hProcess);
    CloseHandle(process.hThread);
    const auto deadline = std::chrono::steady_clock::now() + kRunTimeLimit;
    while (desktop_ == nullptr && std::chrono::steady_clock::now() < deadline) {
      desktop_ = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL);
      if (desktop_ == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~VirtualDesktop() {
    if (desktop_ != nullptr) CloseDesktop(desktop_);
    // The explorer ends by itself with the desktop's last program.
    if (explorer_ && WaitForSingleObject(explorer_.get(), 10000) != WAIT_OBJECT_0) {
      TerminateProcess(explorer_.get(), 99);
    }
  }
  VirtualDesktop(const VirtualDesktop&) = delete;
  VirtualDesktop& operator=(const VirtualDesktop&) = delete;

  HDESK get() const { return desktop_; }

 private:
  UniqueHandle explorer_;
  HDESK desktop_ = nullptr;
};

// The window as drawn, frame included, in 0x00RRGGBB pixels.
struct WindowPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFFu; }
};

WindowPicture CaptureWindow(HWND window) {
  RECT outer;
  GetWindowRect(window, &outer);
  WindowPicture picture{outer.right - outer.left, outer.bottom - outer.top, {}};
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(first, first + picture.width * picture.height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return picture;
}

// What the skin says a few places of the shown main window look like, in
// window coordinates: a colour, or each channel between two colours (a gradient).
struct SkinnedLook {
  std::string where;
  int x, y;
  std::uint32_t colour;
  std::uint32_t otherEnd;

  bool Matches(std::uint32_t seen) const {
    for (int shift = 0; shift <= 16; shift += 8) {
      const int v = (seen >> shift) & 0xFF;
      const int a = (colour >> shift) & 0xFF;
      const int b = (otherEnd >> shift) & 0xFF;
      if (v < std::min(a, b) || v > std::max(a, b)) return false;
    }
    return true;
  }
};

std::vector<SkinnedLook> ExpectedLook(HWND window, bool active) {
  SkinData skin = {};
  const std::vector<unsigned char> blob = skin_test::BuiltSkin();
  if (ParseSkin(blob.data(), static_cast<long long>(blob.size()), "", &skin) != kSkinOk) return {};
  RECT outer;
  GetWindowRect(window, &outer);
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  const int clientLeft = origin.x - outer.left;
  const int clientTop = origin.y - outer.top;
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const std::uint32_t accent = skin.colours[active ? kCaptionAccent : kCaptionInactiveBottom];
  const std::uint32_t top = skin.colours[active ? kCaptionTop : kCaptionInactiveTop];
  const std::uint32_t bottom = skin.colours[active ? kCaptionBottom : kCaptionInactiveBottom];
  const std::uint32_t frame = skin.colours[active ? kFrameOuter : kFrameOuterInactive];
  const std::uint32_t inner = skin.colours[kFrameInner];
  const std::uint32_t face = skin.colours[kFace];
  return {
      {"caption", 2, clientTop / 2, top, bottom},
      {"accent line under the caption", width / 2, clientTop - 1, accent, accent},
      {"outer frame", 0, height / 2, frame, frame},
      {"inner frame", 1, height / 2, inner, inner},
      {"face", clientLeft + 2, clientTop + client.bottom - 2, face, face},
  };
}

// Compares every place at once, again and again until the window has been
// painted or the time is up.
std::vector<std::string> LookMismatches(HWND window) {
  std::vector<std::string> mismatches;
  const auto deadline = std::chrono::steady_clock::now() + kPaintTimeLimit;
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::vector<SkinnedLook> looks = ExpectedLook(window, GetForegroundWindow() == window);
    if (looks.empty()) return {"the built skin does not parse"};
    const WindowPicture picture = CaptureWindow(window);
    mismatches.clear();
    for (const SkinnedLook& look : looks) {
      const std::uint32_t seen = picture.At(look.x, look.y);
      if (look.Matches(seen)) continue;
      char line[160];
      std::snprintf(line, sizeof line, "%s at (%d,%d): %06X, the skin says %06X",
                    look.where.c_str(), look.x, look.y, seen, look.colour);
      mismatches.push_back(line);
    }
  } while (!mismatches.empty() && std::chrono::steady_clock::now() < deadline);
  return mismatches;
}

struct ProgramRun {
  bool started = false;
  bool ended = false;
  DWORD exitCode = 0;
  bool windowShown = false;
  std::vector<std::string> lookMismatches;
  std::optional<MessageBoxSeen> box;
  bool windowShownUnderBox = false;
};

// Waits for the end, forcing it when the time is up, and takes the exit code.
void EndProgram(HANDLE process, ProgramRun& run) {
  if (WaitForSingleObject(process, 10000) == WAIT_OBJECT_0) {
    run.ended = true;
  } else {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, INFINITE);
  }
  GetExitCodeProcess(process, &run.exitCode);
}

// Watches the started program: closes its main window once shown or the first
// message box it shows (after reading it), until it ends or the time is up.
// The calling thread must be on the program's desktop: a thread never sees
// the windows of another desktop as visible.
void WatchProgram(const PROCESS_INFORMATION& process, bool checkLook, ProgramRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + kRunTimeLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) return;
    if (!run.box) {
      if (HWND box = FindVisibleWindow(process.dwProcessId, "#32770")) {
        run.box = ReadMessageBox(box);
        run.windowShownUnderBox =
            FindVisibleWindow(process.dwProcessId, kMainWindowClass) != nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        continue;
      }
    }
    if (!run.windowShown) {
      if (HWND window = FindVisibleWindow(process.dwProcessId, kMainWindowClass)) {
        run.windowShown = true;
        if (checkLook) run.lookMismatches = LookMismatches(window);
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
    }
  }
}

// Starts `program` from another current directory than its own and watches
// it to its end.
ProgramRun RunProgram(const std::string& program) {
  ProgramRun run;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + program + "\"";
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      temp, &startup, &process)) {
    return run;
  }
  run.started = true;
  const UniqueHandle processHandle(process.hProcess);
  const UniqueHandle threadHandle(process.hThread);
  WatchProgram(process, false, run);
  EndProgram(process.hProcess, run);
  return run;
}

// Starts `program` on a virtual desktop of its own and checks the shown
// window's look before closing it. The watching thread joins that desktop:
// a thread never sees the windows of another desktop as visible.
ProgramRun RunOnVirtualDesktop(const std::string& program) {
  ProgramRun run;
  const VirtualDesktop desktop("QuorlinSkinLook", program);
  if (desktop.get() == nullptr) return run;
  std::thread watcher([&] {
    if (!SetThreadDesktop(desktop.get())) return;
    const auto deadline = std::chrono::steady_clock::now() + kRunTimeLimit;
    HWND window = nullptr;
    while (window == nullptr && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      window = FindVisibleWindow(0, kMainWindowClass);
    }
    if (window == nullptr) return;
    PROCESS_INFORMATION process{};
    GetWindowThreadProcessId(window, &process.dwProcessId);
    const UniqueHandle processHandle(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.dwProcessId));
    process.hProcess = processHandle.get();
    if (process.hProcess == nullptr) return;
    run.started = true;
    WatchProgram(process, true, run);
    EndProgram(process.hProcess, run);
  });
  watcher.join();
  return run;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += line + "\n";
  return joined;
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

struct ModuleFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

class SkinDeployment : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> engine = ReadBytes(kBuiltEngine);
    ASSERT_TRUE(engine) << kBuiltEngine;
    engine_ = *engine;
    ASSERT_GT(engine_.size(), 1024u);
    ASSERT_TRUE(ReadBytes(kProgram)) << kProgram;
  }

  // Copies the program into scratch\relative and returns the copy's path.
  std::string PlaceProgram(const ScratchDirectory& scratch, const std::string& relative) const {
    const std::string program = scratch.Make(relative) + "\\QuorlinResolver.exe";
    EXPECT_TRUE(CopyFileA(kProgram.c_str(), program.c_str(), FALSE)) << program;
    return program;
  }

  // The stand-in engine was loaded, not written over, and given the whole skin, "" and 0, 0, 0.
  void ExpectStandInLoaded(const std::string& program, const ProgramRun& run) const {
    const std::string directory = DirectoryOf(program);
    EXPECT_FALSE(run.box) << run.box->text;
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(ReadBytes(directory + "\\Eda.dll") == ReadBytes(kRecordingEngine))
        << "the engine was written over";
    const std::vector<unsigned char> skin = skin_test::BuiltSkin();
    EXPECT_EQ(ReadBytes(directory + "\\attach-record.txt"),
              "length=" + std::to_string(skin.size()) + " magic=.SHE text=[] ints=0,0,0");
  }

  const std::string kProgram = WindowsPath(QUORLIN_RESOLVER_EXE);
  const std::string kBuiltEngine = WindowsPath(QUORLIN_BUILT_ENGINE);
  const std::string kRecordingEngine = WindowsPath(QUORLIN_RECORDING_ENGINE);
  std::string engine_;
};

TEST_F(SkinDeployment, EngineIsWrittenBesideTheProgramUnlessItsPathHoldsEda) {
  const struct {
    std::string directory;  // under a fresh scratch directory: names differ only in case
    bool written;
  } cases[] = {
      {"plain", true},
      {"eda", true},  // letter case counts
      {"EDA", true},
      {"x" + kEdaAcrossACharacter + "Tools", true},  // searched by characters
      {"Eda", false},
      {"MyEdaTools", false},
      {"Eda\\Desktop", false},  // a parent named Eda
      {kTools + "Eda", false},  // after two-byte characters
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory);
    const ScratchDirectory scratch;
    const std::string program = PlaceProgram(scratch, c.directory);
    const ProgramRun run = RunProgram(program);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.ended);
    const std::optional<std::string> written = ReadBytes(DirectoryOf(program) + "\\Eda.dll");
    if (c.written) {
      ASSERT_TRUE(written) << "no Eda.dll beside the program";
      EXPECT_TRUE(*written == engine_) << "Eda.dll is not the built engine";
      EXPECT_FALSE(run.box) << run.box->text;
      EXPECT_TRUE(run.windowShown);
      EXPECT_EQ(run.exitCode, 0u);
    } else {
      EXPECT_FALSE(written) << "Eda.dll was written";
      // No engine there nor on the library search: the stop, and the window never shows.
      ASSERT_TRUE(run.box);
      EXPECT_EQ(run.box->title, kStopTitle);
      EXPECT_EQ(run.box->text, kMissingEngineText);
      EXPECT_FALSE(run.windowShownUnderBox);
      EXPECT_FALSE(run.windowShown);
      EXPECT_EQ(run.exitCode, kStopExitCode);
    }
  }
}

TEST_F(SkinDeployment, ADifferentEdaDllIsWrittenOver) {
  const ScratchDirectory scratch;
  const std::string program = PlaceProgram(scratch, "plain");
  const std::string engineFile = DirectoryOf(program) + "\\Eda.dll";
  const std::optional<std::string> other = ReadBytes(kRecordingEngine);
  ASSERT_TRUE(other);
  // Longer than the engine, so that a write without truncation shows.
  ASSERT_TRUE(WriteBytes(engineFile, *other + std::string(engine_.size(), 'x')));
  const ProgramRun run = RunProgram(program);
  EXPECT_EQ(run.exitCode, 0u);
  const std::optional<std::string> written = ReadBytes(engineFile);
  ASSERT_TRUE(written);
  EXPECT_EQ(written->size(), engine_.size());
  EXPECT_TRUE(*written == engine_) << "Eda.dll is not the built engine";
  EXPECT_FALSE(ReadBytes(DirectoryOf(program) + "\\attach-record.txt"))
      << "the old file was loaded";
}

TEST_F(SkinDeployment, AnEngineInADirectoryNamedEdaIsLoadedAsItIs) {
  const ScratchDirectory scratch;
  const std::string program = PlaceProgram(scratch, "MyEdaTools");
  ASSERT_TRUE(
      CopyFileA(kRecordingEngine.c_str(), (DirectoryOf(program) + "\\Eda.dll").c_str(), FALSE));
  ExpectStandInLoaded(program, RunProgram(program));
}

TEST_F(SkinDeployment, AnEngineInUseIsLoadedSilently) {
  const ScratchDirectory scratch;
  const std::string program = PlaceProgram(scratch, "plain");
  const std::string engineFile = DirectoryOf(program) + "\\Eda.dll";
  ASSERT_TRUE(CopyFileA(kRecordingEngine.c_str(), engineFile.c_str(), FALSE));
  // Loaded here, as by a first copy of the program still running: not writable.
  const UniqueModule inUse(LoadLibraryA(engineFile.c_str()));
  ASSERT_NE(inUse, nullptr);
  ExpectStandInLoaded(program, RunProgram(program));
}

TEST_F(SkinDeployment, AReadOnlyEngineIsLoadedSilently) {
  const ScratchDirectory scratch;
  const std::string program = PlaceProgram(scratch, "plain");
  const std::string engineFile = DirectoryOf(program) + "\\Eda.dll";
  ASSERT_TRUE(CopyFileA(kRecordingEngine.c_str(), engineFile.c_str(), FALSE));
  ASSERT_TRUE(SetFileAttributesA(engineFile.c_str(), FILE_ATTRIBUTE_READONLY));
  if (UniqueHandle probe(CreateFileA(engineFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
      probe.get() != INVALID_HANDLE_VALUE) {
    GTEST_SKIP() << "read-only files are writable here (Wine run by root ignores the attribute)";
  }
  ExpectStandInLoaded(program, RunProgram(program));
}

TEST_F(SkinDeployment, TheShownWindowWearsTheSkin) {
  const ScratchDirectory scratch;
  const ProgramRun run = RunOnVirtualDesktop(PlaceProgram(scratch, "plain"));
  ASSERT_TRUE(run.windowShown);
  EXPECT_TRUE(run.lookMismatches.empty()) << Joined(run.lookMismatches);
  EXPECT_EQ(run.exitCode, 0u);
}

#ifdef QUORLIN_LEAVING_ENGINE
const std::string kStackErrorText =
    "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n"
    "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA"
    "6\r\n\r\n"
    "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"
    "\xB5\xF7\xD3\xC3"
    "DLL\xC3\xFC\xC1\xEE\xBA\xF3\xB7\xA2\xCF\xD6\xB6\xD1\xD5\xBB\xB4\xED\xCE\xF3\r\n";

// 32-bit x86 only: there the called function removes its arguments, and the
// program checks that it did.
TEST_F(SkinDeployment, AnEngineThatLeavesItsArgumentsIsStackErrorSix) {
  const ScratchDirectory scratch;
  const std::string program = PlaceProgram(scratch, "Eda");
  ASSERT_TRUE(CopyFileA(WindowsPath(QUORLIN_LEAVING_ENGINE).c_str(),
                        (DirectoryOf(program) + "\\Eda.dll").c_str(), FALSE));
  const ProgramRun run = RunProgram(program);
  ASSERT_TRUE(run.box);
  EXPECT_EQ(run.box->title, kStopTitle);
  EXPECT_EQ(run.box->text, kStackErrorText);
  EXPECT_FALSE(run.windowShown);
  EXPECT_EQ(run.exitCode, kStopExitCode);
}
#endif

}  // namespace
