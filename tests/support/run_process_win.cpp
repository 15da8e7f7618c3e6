#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <thread>

#include "run_process.h"

namespace quorlin::test {
namespace {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return h_; }
  HANDLE* out() { return &h_; }
  void Close() {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

// One end for the child (inheritable), one for us (not).
void MakePipe(Handle& read, Handle& write, bool childReads) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(read.out(), write.out(), &inherit, 0)) throw std::runtime_error("CreatePipe");
  SetHandleInformation(childReads ? write.get() : read.get(), HANDLE_FLAG_INHERIT, 0);
}

// Quotes one argument the way the C runtime's parser reads it back.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::string ReadAll(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  return text;
}

// The test's environment with `extra` added or replacing entries of the same
// name, as the block CreateProcess takes.
std::string EnvironmentBlock(const std::vector<std::string>& extra) {
  std::string block;
  const LPCH current = GetEnvironmentStringsA();
  for (LPCH e = current; *e != '\0'; e += std::strlen(e) + 1) {
    const std::string entry = e;
    const std::string name = entry.substr(0, entry.find('=', 1));
    bool replaced = false;
    for (const std::string& x : extra)
      replaced |= _stricmp(x.substr(0, x.find('=')).c_str(), name.c_str()) == 0;
    if (!replaced) block += entry + '\0';
  }
  FreeEnvironmentStringsA(current);
  for (const std::string& x : extra) block += x + '\0';
  return block + '\0';
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& environment) {
  Handle inRead, inWrite, outRead, outWrite, errRead, errWrite;
  MakePipe(inRead, inWrite, true);
  MakePipe(outRead, outWrite, false);
  MakePipe(errRead, errWrite, false);

  std::string commandLine;
  for (const std::string& arg : argv) commandLine += (commandLine.empty() ? "" : " ") + Quoted(arg);
  std::string env = EnvironmentBlock(environment);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead.get();
  startup.hStdOutput = outWrite.get();
  startup.hStdError = errWrite.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(argv[0].c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, env.data(),
                      nullptr, &startup, &info)) {
    throw std::runtime_error("cannot start " + argv[0]);
  }
  Handle process(info.hProcess), thread(info.hThread);
  inRead.Close();
  outWrite.Close();
  errWrite.Close();

  ProcessResult result;
  // Both outputs drain at once so that neither pipe can fill and stall the child.
  std::thread errReader([&] { result.err = ReadAll(errRead.get()); });
  std::thread inWriter([&] {
    DWORD written = 0;
    if (!input.empty())
      WriteFile(inWrite.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    inWrite.Close();
  });
  result.out = ReadAll(outRead.get());
  errReader.join();
  inWriter.join();

  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  result.exitCode = static_cast<int>(code);
  return result;
}

}  // namespace quorlin::test
