#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <stdexcept>

#include "run_process.h"

extern char** environ;

namespace quorlin::test {
namespace {

class Pipe {
 public:
  Pipe() {
    if (pipe2(fds_.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  std::array<int, 2> fds_{-1, -1};
};

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& x : extra) replaced |= x.substr(0, x.find('=')) == name;
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& environment) {
  Pipe in, out, err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.read(), 0);
  posix_spawn_file_actions_adddup2(&actions, out.write(), 1);
  posix_spawn_file_actions_adddup2(&actions, err.write(), 2);

  std::vector<std::string> args = argv;
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char*> argPointers = Pointers(args);
  std::vector<char*> envPointers = Pointers(env);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(), envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argv[0]);
  in.CloseRead();
  out.CloseWrite();
  err.CloseWrite();

  // A child that does not read its input must not block us: write what it
  // takes while collecting its output.
  signal(SIGPIPE, SIG_IGN);
  ProcessResult result;
  std::size_t written = 0;
  if (input.empty()) in.CloseWrite();
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    std::vector<pollfd> fds;
    if (outOpen) fds.push_back({out.read(), POLLIN, 0});
    if (errOpen) fds.push_back({err.read(), POLLIN, 0});
    if (in.write() >= 0) fds.push_back({in.write(), POLLOUT, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) break;
    for (const pollfd& p : fds) {
      if (p.revents == 0) continue;
      if (p.fd == in.write()) {
        const ssize_t n = ::write(p.fd, input.data() + written, input.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        if (n <= 0 || written == input.size()) in.CloseWrite();
        continue;
      }
      char buffer[4096];
      const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
      std::string& sink = p.fd == out.read() ? result.out : result.err;
      if (n > 0) {
        sink.append(buffer, static_cast<std::size_t>(n));
      } else {
        (p.fd == out.read() ? outOpen : errOpen) = false;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace quorlin::test
