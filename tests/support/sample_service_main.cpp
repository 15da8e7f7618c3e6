// quorlin-sample-service [DIR] [--port N]
// Serves the sample pages of DIR on 127.0.0.1 as the file-hosting service
// would, so that the tool can be run by hand and end to end without leaving
// the machine. DIR/ROUTES lists one page a line:
//   TARGET\tFILE\tCONTENT-TYPE     e.g. "/s/abc\tshare.html\ttext/html"
// FILE is relative to DIR; CONTENT-TYPE may be left out (text/html). Blank
// lines and lines starting with '#' are skipped. "{{ORIGIN}}" in a file
// becomes "http://127.0.0.1:PORT", so that the links lead back here.
// Prints "http://127.0.0.1:PORT/" once, then serves until SIGTERM or SIGINT
// (on Windows, until killed).
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "page_server.h"
#include "socket_api.h"

namespace {

using quorlin::test::PageServer;
using quorlin::test::Reply;

constexpr std::string_view kOriginMark = "{{ORIGIN}}";

struct Options {
  std::string directory = QUORLIN_SAMPLE_DIR;
  int port = 0;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      options.port = std::stoi(argv[++i]);
    } else if (!arg.empty() && arg[0] != '-') {
      options.directory = arg;
    } else {
      throw std::runtime_error("usage: quorlin-sample-service [DIR] [--port N]");
    }
  }
  return options;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::string ReplaceAll(std::string text, std::string_view mark, const std::string& with) {
  for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += with.size()) {
    text.replace(at, mark.size(), with);
  }
  return text;
}

void ServeRoutes(PageServer& server, const std::string& directory, const std::string& origin) {
  std::string routesPath = directory + "/ROUTES";
  std::ifstream routes(routesPath, std::ios::binary);
  if (!routes) throw std::runtime_error("cannot read " + routesPath);
  std::string line;
  for (int number = 1; std::getline(routes, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < 2 || fields.size() > 3) {
      throw std::runtime_error(routesPath + ":" + std::to_string(number) +
                               ": expected TARGET<TAB>FILE[<TAB>CONTENT-TYPE]");
    }
    std::string body = quorlin::test::ReadFileBytes(directory + "/" + fields[1]);
    std::string contentType = fields.size() == 3 ? fields[2] : "text/html";
    server.Serve(fields[0], Reply::Page(ReplaceAll(body, kOriginMark, origin), contentType));
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Options options = ParseOptions(argc, argv);
    // Before the server's threads exist, so that only sigwait sees the signals.
    quorlin::test::net::BlockStopSignals();
    PageServer server(options.port);
    std::string origin = "http://127.0.0.1:" + std::to_string(server.Port());
    ServeRoutes(server, options.directory, origin);
    std::cout << origin << "/" << std::endl;
    quorlin::test::net::WaitForStopSignal();
    return EXIT_SUCCESS;
  } catch (const std::exception& error) {
    std::cerr << "quorlin-sample-service: " << error.what() << "\n";
    return EXIT_FAILURE;
  }
}
