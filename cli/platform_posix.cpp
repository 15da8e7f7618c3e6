#include <langinfo.h>
#include <spawn.h>
#include <sys/wait.h>

#include <clocale>
#include <cstring>

#include "platform.h"
#include "text_codec.h"

extern char** environ;

namespace quorlin::cli {
namespace {

constexpr const char* kNarrowCodePage = "CP936";

// The C locale names plain ASCII; a terminal that has not said otherwise is
// taken to speak UTF-8, as current systems do.
const char* TerminalEncoding() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) {
    return "UTF-8";
  }
  return codeset;
}

}  // namespace

PlatformSession::PlatformSession() { std::setlocale(LC_CTYPE, ""); }
PlatformSession::~PlatformSession() = default;

std::vector<std::string> TerminalArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string TerminalToNarrow(std::string_view text) {
  return ConvertText(text, TerminalEncoding(), kNarrowCodePage);
}

std::string NarrowToTerminal(std::string_view text) {
  return ConvertText(text, kNarrowCodePage, TerminalEncoding());
}

bool OpenWithSystem(const std::string& narrowAddress) {
  const std::string address = NarrowToTerminal(narrowAddress);
  // No shell in between: the address is one argument, whatever it holds.
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(address.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quorlin::cli
