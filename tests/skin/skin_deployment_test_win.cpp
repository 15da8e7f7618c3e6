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
#include <vector>

#include "skin_cases.h"
#include "skin_format.h"
#include "test_window_win.h"
#include "ui_driver_win.h"

namespace {

using namespace quorlin_skin;
using namespace quorlin::test;
using skin_test::CaptureWindow;
using skin_test::Picture;

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

// Makes root\relative, parents included, and returns its full path.
std::string MakeDirectories(const std::string& root, const std::string& relative) {
  std::string path = root;
  std::size_t start = 0;
  while (start <= relative.size()) {
    const std::size_t end = std::min(relative.find('\\', start), relative.size());
    path += "\\" + relative.substr(start, end - start);
    CreateDirectoryA(path.c_str(), nullptr);
    start = end + 1;
  }
  return path;
}

// A visible main window of the process (of any, for 0) on the calling
// thread's desktop.
HWND FindMainWindow(DWORD processId) {
  return FindTopLevel(processId, [](HWND window) { return ClassName(window) == kMainWindowClass; });
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
    const Picture picture = CaptureWindow(window);
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
  std::optional<MessageBoxContent> box;
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
void WatchProgram(HANDLE process, DWORD processId, bool checkLook, ProgramRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + kRunTimeLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return;
    if (!run.box) {
      if (HWND box = FindMessageBox(processId)) {
        run.box = ReadMessageBox(box);
        run.windowShownUnderBox = FindMainWindow(processId) != nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        continue;
      }
    }
    if (!run.windowShown) {
      if (HWND window = FindMainWindow(processId)) {
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
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const Program started(program, "", temp);
  if (!started.Started()) return run;
  run.started = true;
  WatchProgram(started.Handle(), started.Id(), false, run);
  EndProgram(started.Handle(), run);
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
      window = FindMainWindow(0);
    }
    if (window == nullptr) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const UniqueHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (process == nullptr) return;
    run.started = true;
    WatchProgram(process.get(), processId, true, run);
    EndProgram(process.get(), run);
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

class SkinDeployment : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> engine = ReadFileIfAny(kBuiltEngine);
    ASSERT_TRUE(engine) << kBuiltEngine;
    engine_ = *engine;
    ASSERT_GT(engine_.size(), 1024u);
    ASSERT_TRUE(ReadFileIfAny(kProgram)) << kProgram;
  }

  // Copies the program into scratch\relative and returns the copy's path.
  std::string PlaceProgram(const TemporaryDirectory& scratch, const std::string& relative) const {
    const std::string program = MakeDirectories(scratch.Path(), relative) + "\\QuorlinResolver.exe";
    EXPECT_TRUE(CopyFileA(kProgram.c_str(), program.c_str(), FALSE)) << program;
    return program;
  }

  // The stand-in engine was loaded, not written over, and given the whole skin, "" and 0, 0, 0.
  void ExpectStandInLoaded(const std::string& program, const ProgramRun& run) const {
    const std::string directory = DirectoryOf(program);
    EXPECT_FALSE(run.box) << run.box->text;
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(ReadFileIfAny(directory + "\\Eda.dll") == ReadFileIfAny(kRecordingEngine))
        << "the engine was written over";
    const std::vector<unsigned char> skin = skin_test::BuiltSkin();
    EXPECT_EQ(ReadFileIfAny(directory + "\\attach-record.txt"),
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
    const TemporaryDirectory scratch;
    const std::string program = PlaceProgram(scratch, c.directory);
    const ProgramRun run = RunProgram(program);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.ended);
    const std::optional<std::string> written = ReadFileIfAny(DirectoryOf(program) + "\\Eda.dll");
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
  const TemporaryDirectory scratch;
  const std::string program = PlaceProgram(scratch, "plain");
  const std::string engineFile = DirectoryOf(program) + "\\Eda.dll";
  const std::optional<std::string> other = ReadFileIfAny(kRecordingEngine);
  ASSERT_TRUE(other);
  // Longer than the engine, so that a write without truncation shows.
  ASSERT_TRUE(WriteWholeFile(engineFile, *other + std::string(engine_.size(), 'x')));
  const ProgramRun run = RunProgram(program);
  EXPECT_EQ(run.exitCode, 0u);
  const std::optional<std::string> written = ReadFileIfAny(engineFile);
  ASSERT_TRUE(written);
  EXPECT_EQ(written->size(), engine_.size());
  EXPECT_TRUE(*written == engine_) << "Eda.dll is not the built engine";
  EXPECT_FALSE(ReadFileIfAny(DirectoryOf(program) + "\\attach-record.txt"))
      << "the old file was loaded";
}

TEST_F(SkinDeployment, AnEngineInADirectoryNamedEdaIsLoadedAsItIs) {
  const TemporaryDirectory scratch;
  const std::string program = PlaceProgram(scratch, "MyEdaTools");
  ASSERT_TRUE(
      CopyFileA(kRecordingEngine.c_str(), (DirectoryOf(program) + "\\Eda.dll").c_str(), FALSE));
  ExpectStandInLoaded(program, RunProgram(program));
}

TEST_F(SkinDeployment, AnEngineInUseIsLoadedSilently) {
  const TemporaryDirectory scratch;
  const std::string program = PlaceProgram(scratch, "plain");
  const std::string engineFile = DirectoryOf(program) + "\\Eda.dll";
  ASSERT_TRUE(CopyFileA(kRecordingEngine.c_str(), engineFile.c_str(), FALSE));
  // Loaded here, as by a first copy of the program still running: not writable.
  const UniqueLibrary inUse(LoadLibraryA(engineFile.c_str()));
  ASSERT_NE(inUse, nullptr);
  ExpectStandInLoaded(program, RunProgram(program));
}

TEST_F(SkinDeployment, AReadOnlyEngineIsLoadedSilently) {
  const TemporaryDirectory scratch;
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
  const TemporaryDirectory scratch;
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
  const TemporaryDirectory scratch;
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
