// Binding by name, the stack check and the fatal stop on the real loader: a
// child program does the call, and the test reads the stop's box from outside,
// closes it and checks how the child ended.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui_driver_win.h"

namespace {

using namespace quorlin::test;

constexpr auto kChildTimeLimit = std::chrono::seconds(120);  // Wine starts processes slowly

const std::string kStopTitle = "\xB4\xED\xCE\xF3";
const std::string kStopHeading = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";
const std::string kNumberLabel = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";
const std::string kMessageLabel = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";

std::string MissingExportText(const std::string& library, const std::string& function) {
  return kStopHeading + kMessageLabel +
         "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
         "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0" +
         library + "\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0" + function +
         "\xA1\xB1\r\n";
}

struct StopBox {
  bool shown = false;
  std::string title;
  std::string text;
  bool hasIcon = false;
};

struct ChildRun {
  bool started = false;
  bool ended = false;
  DWORD exitCode = 0;
  std::string output;
  StopBox box;
};

StopBox ReadStopBox(HWND box) {
  const MessageBoxContent content = ReadMessageBox(box);
  return {true, content.title, content.text, content.hasIcon};
}

// Runs the child program with `arguments`; closes the message box it shows
// (the stop's) after reading it.
ChildRun RunChild(const std::string& program, const std::string& arguments) {
  ChildRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) return run;
  UniqueHandle reader(readEnd);
  UniqueHandle writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + program + "\" " + arguments;
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return run;
  }
  run.started = true;
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  writer.reset();  // the child holds the only write end now

  const auto deadline = std::chrono::steady_clock::now() + kChildTimeLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    if (run.box.shown) continue;
    if (HWND box = FindMessageBox(process.dwProcessId)) {
      run.box = ReadStopBox(box);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, INFINITE);
  } else {
    run.ended = true;
  }
  GetExitCodeProcess(process.hProcess, &run.exitCode);

  // Only what is in the pipe now: the child has ended, but a process it
  // started may hold the write end for much longer (the stop's box makes Wine
  // start its desktop process, which inherits the child's handles), so
  // reading to the end of the pipe could wait for ever.
  char buffer[4096];
  DWORD available = 0;
  while (PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    DWORD got = 0;
    if (!ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    run.output.append(buffer, got);
  }
  return run;
}

class Conventions : public ::testing::Test {
 protected:
  std::string Child() const { return directory_ + "\\conventions_child.exe"; }
  std::string Probe() const { return directory_ + "\\quorlin_probe.dll"; }
  std::string FarProbe() const { return directory_ + "\\far\\quorlin_probe.dll"; }

  std::string directory_ = ModuleDirectory();
};

constexpr DWORD kStopExitCode = static_cast<DWORD>(-1);

TEST_F(Conventions, WhatCannotBeBoundEndsInTheStop) {
  const struct {
    const char* why;
    std::string library;
    std::string function;
  } cases[] = {
      {"no such library anywhere", "quorlin_no_such_library.dll", "Anything"},
      {"the library lacks the function", "quorlin_probe.dll", "NoSuchFunction"},
      {"a path with a drive colon that does not exist", "C:\\quorlin\\none.dll", "Anything"},
  };
  for (const auto& c : cases) {
    const ChildRun run = RunChild(Child(), "call " + c.library + " " + c.function);
    ASSERT_TRUE(run.started) << c.why;
    EXPECT_TRUE(run.box.shown) << c.why;
    EXPECT_EQ(run.box.title, kStopTitle) << c.why;
    EXPECT_TRUE(run.box.hasIcon) << c.why;
    EXPECT_EQ(run.box.text, MissingExportText(c.library, c.function)) << c.why;
    EXPECT_TRUE(run.ended) << c.why;
    EXPECT_EQ(run.exitCode, kStopExitCode) << c.why;
    EXPECT_EQ(run.output.find("result"), std::string::npos) << c.why;
  }
}

// Only i686 has the stack check: on x86-64 the caller removes the arguments
// under the one calling convention there is, so there is nothing to check.
#if defined(__i386__)
TEST_F(Conventions, AFunctionThatLeavesItsArgumentsIsStackErrorSix) {
  const ChildRun run = RunChild(Child(), "call quorlin_probe.dll AddLeavingArguments");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.box.title, kStopTitle);
  EXPECT_EQ(run.box.text, kStopHeading + kNumberLabel + "6\r\n\r\n" + kMessageLabel +
                              "\xB5\xF7\xD3\xC3"
                              "DLL\xC3\xFC\xC1\xEE\xBA\xF3\xB7\xA2\xCF\xD6\xB6\xD1\xD5\xBB\xB4"
                              "\xED\xCE\xF3\r\n");
  EXPECT_EQ(run.exitCode, kStopExitCode);
  // The stop shuts down before the process ends: the library is freed, not
  // just dropped with the process.
  EXPECT_NE(run.output.find("probe: unloaded"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("result"), std::string::npos);
}
#endif

TEST_F(Conventions, AFunctionThatRemovesItsArgumentsReturnsNormally) {
  const ChildRun run = RunChild(Child(), "call-twice quorlin_probe.dll AddRemovingArguments");
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.box.shown);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "result 5\nresult 5\nprobe: unloaded\n");
}

TEST_F(Conventions, TheRunDirectoryCopyWinsOverOneAlreadyLoaded) {
  // The far copy is loaded first under the same file name; a plain search by
  // name would hand it back, the run-directory path does not.
  const ChildRun run = RunChild(Child(), "call quorlin_probe.dll WhichCopy preload " + FarProbe());
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << run.box.text;
  EXPECT_NE(run.output.find("result 1\n"), std::string::npos) << run.output;
}

TEST_F(Conventions, ANameWithADriveColonIsLoadedFromThatPath) {
  const ChildRun run = RunChild(Child(), "call " + FarProbe() + " WhichCopy");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << run.box.text;
  EXPECT_NE(run.output.find("result 2\n"), std::string::npos) << run.output;
}

TEST_F(Conventions, ALibraryNotInTheRunDirectoryComesFromTheStandardSearch) {
  // kernel32 is nowhere near the run directory. Beep takes two numbers and
  // removes them; it fails for a frequency of 2 and returns 0.
  const ChildRun run = RunChild(Child(), "call kernel32 Beep");
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.box.shown) << run.box.text;
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.output.find("result "), std::string::npos) << run.output;
}

TEST_F(Conventions, MemoryThatCannotBeHadEndsInTheStopWithoutANumber) {
  // More than the process's address space: 2 GiB for a 32-bit one, and far
  // beyond the 128 TiB of a 64-bit one.
  const std::string bytes = sizeof(void*) == 4 ? "2147483632" : "4611686018427387904";
  const ChildRun run = RunChild(Child(), "allocate " + bytes);
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.box.title, kStopTitle);
  EXPECT_EQ(run.box.text, kStopHeading + kMessageLabel + "\xB7\xD6\xC5\xE4 " + bytes +
                              " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!\r\n");
  EXPECT_EQ(run.exitCode, kStopExitCode);
}

TEST_F(Conventions, TheRunDirectoryStepsOverTwoByteCharacters) {
  // "\x81\x5C" is one character whose trail byte is a backslash: the
  // directory must not be cut inside it.
  const std::string odd = directory_ + "\\odd\x81\x5C";
  CreateDirectoryA(odd.c_str(), nullptr);
  const std::string copy = odd + "\\conventions_child.exe";
  ASSERT_TRUE(CopyFileA(Child().c_str(), copy.c_str(), FALSE));
  const ChildRun run = RunChild(copy, "run-directory");
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(odd.c_str());
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.output, odd + "\n");
}

}  // namespace
