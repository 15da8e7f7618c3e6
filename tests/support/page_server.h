// A small HTTP/1.1 server on 127.0.0.1 for the tests: it serves exact bytes,
// and can misbehave on purpose (delay, stall, reset) so that the fetchers'
// failure paths run against real sockets.
#pragma once

#include <functional>
#include <memory>
#include <string>
// Instead of <chrono>: GCC 12's <chrono> does not compile with
// -fexec-charset=GBK (its "\u00b5s" suffix has no GBK form), and <thread>
// brings the durations without it.
#include <thread>
#include <utility>
#include <vector>

namespace quorlin::test {

struct Request {
  std::string method;
  std::string target;  // the request target exactly as sent, e.g. "/a?b=1"
  std::vector<std::pair<std::string, std::string>> headers;  // in order, as sent
  std::string Header(const std::string& name) const;         // case-insensitive; "" if absent
};

struct Reply {
  enum class Kind {
    kNormal,             // status line, headers, body, then close
    kStall,              // accept, read the request, send nothing until the server stops
    kReset,              // read the request, then drop the connection with a TCP reset
    kStallAfterHeaders,  // send status line and headers, then nothing more
  };
  Kind kind = Kind::kNormal;
  int status = 200;
  std::string contentType = "text/html";  // empty: no Content-Type header
  std::string body{};                     // sent byte for byte
  // Every member has an initializer so that Reply{.kind = ...} is -Wextra clean.
  std::vector<std::pair<std::string, std::string>> extraHeaders{};
  std::chrono::milliseconds delay{0};  // before anything is sent
  bool gzipEncoded = false;            // body is already gzip bytes: adds Content-Encoding

  static Reply Page(std::string body, std::string contentType = "text/html");
  static Reply Status(int status, std::string body = "");
  static Reply Redirect(int status, std::string location);
};

class PageServer {
 public:
  using Handler = std::function<Reply(const Request&)>;

  PageServer();                   // listens on 127.0.0.1 on a free port, serving at once
  explicit PageServer(int port);  // on this port; 0: a free one. Throws if it cannot listen.
  ~PageServer();                  // stops, ends stalled connections, joins every thread
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  int Port() const;
  // "http://127.0.0.1:PORT" + target
  std::string Url(const std::string& target) const;

  // Routes match the request target exactly (path and query). Unknown
  // targets get a 404 with an empty body. A later route replaces an earlier.
  void Serve(const std::string& target, Reply reply);
  void Serve(const std::string& target, Handler handler);
  // Serves the file's bytes exactly, as text/html unless told otherwise.
  void ServeFile(const std::string& target, const std::string& path,
                 std::string contentType = "text/html");

  std::vector<Request> Requests() const;  // every request received, in order
  int CountRequests(const std::string& target) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The bytes of a file, read in binary; throws std::runtime_error if unreadable.
std::string ReadFileBytes(const std::string& path);

}  // namespace quorlin::test
