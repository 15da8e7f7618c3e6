#include "resolve_command.h"

#include <cstdio>
#include <istream>
#include <ostream>

#include "link_resolver.h"
#include "platform.h"
#include "version.h"

namespace quorlin::cli {
namespace {

constexpr const char* kProgram = "quorlin-resolve";

constexpr const char* kUsage =
    "Usage: quorlin-resolve [--open] [--json] [ADDRESS...]\n"
    "Prints the direct download address of each Quorlin share-page ADDRESS,\n"
    "one a line, in the order given. With no ADDRESS, or with '-', reads the\n"
    "addresses from standard input, one a line; blank lines and lines that\n"
    "start with '#' are skipped.\n"
    "\n"
    "  --json     print one JSON object a line: {\"address\": ..., \"resolved\": ...},\n"
    "             with null for an address that could not be resolved\n"
    "  --open     also open each resolved address with the system's opener\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every address resolved, 1 when any failed, 2 on a\n"
    "usage error.\n";

struct Options {
  bool open = false;
  bool json = false;
  bool help = false;
  bool version = false;
  bool readStdin = false;
  std::vector<std::string> addresses;
};

// Parses the arguments; returns false (after saying why on `err`) on a usage
// error.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::ostream& err) {
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.empty() || arg[0] != '-') {
      options.addresses.push_back(arg);
    } else if (arg == "-") {
      options.readStdin = true;
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--open") {
      options.open = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version" || arg == "-V") {
      options.version = true;
    } else {
      err << kProgram << ": unknown option '" << arg << "'\n"
          << "Try '" << kProgram << " --help' for more information.\n";
      return false;
    }
  }
  if (options.addresses.empty()) options.readStdin = true;
  return true;
}

bool IsSkippedLine(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos || line[first] == '#';
}

class Resolver {
 public:
  Resolver(const Options& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  void Resolve(const std::string& address) {
    const std::string resolved = ResolveDownloadAddress(TerminalToNarrow(address));
    const std::string shown = NarrowToTerminal(resolved);
    if (resolved.empty()) {
      anyFailed_ = true;
      err_ << kProgram << ": could not resolve " << address << '\n';
    }
    if (options_.json) {
      out_ << "{\"address\": " << JsonString(address)
           << ", \"resolved\": " << (resolved.empty() ? "null" : JsonString(shown)) << "}\n";
    } else if (!resolved.empty()) {
      out_ << shown << '\n';
    }
    // Each line as soon as it is known: the output is often read by a pipe.
    out_.flush();
    if (options_.open && !resolved.empty() && !OpenWithSystem(resolved)) {
      anyFailed_ = true;
      err_ << kProgram << ": could not open " << shown << '\n';
    }
  }

  void ResolveLines(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!IsSkippedLine(line)) Resolve(line);
    }
  }

  bool anyFailed() const { return anyFailed_; }

 private:
  const Options& options_;
  std::ostream& out_;
  std::ostream& err_;
  bool anyFailed_ = false;
};

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\b':
        json += "\\b";
        break;
      case '\f':
        json += "\\f";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

int RunResolveCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err) {
  Options options;
  if (!ParseOptions(args, options, err)) return kExitUsage;
  if (options.help) {
    out << kUsage;
    return kExitAllResolved;
  }
  if (options.version) {
    out << kProgram << ' ' << QUORLIN_VERSION_STRING << '\n';
    return kExitAllResolved;
  }

  Resolver resolver(options, out, err);
  for (const std::string& address : options.addresses) resolver.Resolve(address);
  // Standard input is read once, where it was asked for or when no address was given.
  if (options.readStdin) resolver.ResolveLines(in);
  return resolver.anyFailed() ? kExitSomeFailed : kExitAllResolved;
}

}  // namespace quorlin::cli
