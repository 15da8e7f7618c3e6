#include "page_server.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "socket_api.h"

namespace quorlin::test {
namespace {

// Short enough that the destructor returns promptly, long enough not to spin.
constexpr int kPollMs = 50;
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
// After the reply: how long to wait for the client to close first, so that
// unread request bytes cannot turn our close into a reset that eats the reply.
constexpr std::chrono::milliseconds kLingerTime{2000};
constexpr std::string_view kHeadEnd = "\r\n\r\n";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<Request> ParseHead(std::string_view head) {
  Request request;
  bool first = true;
  while (!head.empty()) {
    std::size_t end = head.find("\r\n");
    std::string_view line = head.substr(0, end);
    head.remove_prefix(end == std::string_view::npos ? head.size() : end + 2);
    if (first) {
      first = false;
      std::size_t space1 = line.find(' ');
      std::size_t space2 = line.find(' ', space1 == line.npos ? line.npos : space1 + 1);
      if (space2 == line.npos) return std::nullopt;
      request.method = line.substr(0, space1);
      request.target = line.substr(space1 + 1, space2 - space1 - 1);
      continue;
    }
    std::size_t colon = line.find(':');
    if (colon == line.npos) return std::nullopt;
    request.headers.emplace_back(std::string(Trim(line.substr(0, colon))),
                                 std::string(Trim(line.substr(colon + 1))));
  }
  if (first) return std::nullopt;
  return request;
}

std::string_view ReasonPhrase(int status) {
  static constexpr std::pair<int, std::string_view> kPhrases[] = {
      {200, "OK"},
      {204, "No Content"},
      {301, "Moved Permanently"},
      {302, "Found"},
      {303, "See Other"},
      {304, "Not Modified"},
      {307, "Temporary Redirect"},
      {308, "Permanent Redirect"},
      {400, "Bad Request"},
      {403, "Forbidden"},
      {404, "Not Found"},
      {500, "Internal Server Error"},
      {502, "Bad Gateway"},
      {503, "Service Unavailable"},
  };
  for (const auto& [code, phrase] : kPhrases) {
    if (code == status) return phrase;
  }
  return "Status";  // clients read the code, not the phrase
}

std::string ReplyHead(const Reply& reply, std::size_t contentLength) {
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " ";
  head += ReasonPhrase(reply.status);
  head += "\r\nContent-Length: " + std::to_string(contentLength) + "\r\n";
  if (!reply.contentType.empty()) head += "Content-Type: " + reply.contentType + "\r\n";
  if (reply.gzipEncoded) head += "Content-Encoding: gzip\r\n";
  for (const auto& [name, value] : reply.extraHeaders) head += name + ": " + value + "\r\n";
  head += "Connection: close\r\n\r\n";
  return head;
}

struct Worker {
  std::thread thread;
  std::shared_ptr<std::atomic<bool>> done;
};

}  // namespace

std::string Request::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (SameNameIgnoringCase(key, name)) return value;
  }
  return "";
}

Reply Reply::Page(std::string body, std::string contentType) {
  Reply reply;
  reply.body = std::move(body);
  reply.contentType = std::move(contentType);
  return reply;
}

Reply Reply::Status(int status, std::string body) {
  Reply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

Reply Reply::Redirect(int status, std::string location) {
  Reply reply;
  reply.status = status;
  reply.extraHeaders.emplace_back("Location", std::move(location));
  return reply;
}

struct PageServer::State {
  net::NetSession session;
  net::SocketHandle listener;
  int port = 0;

  mutable std::mutex mutex;
  std::condition_variable stopRequested;
  bool stop = false;
  std::map<std::string, Handler> routes;
  std::vector<Request> requests;

  std::thread acceptor;  // owns the workers; only it touches them

  bool Stopping() const {
    std::lock_guard lock(mutex);
    return stop;
  }

  // True if the server stopped before the time was up.
  bool SleepUnlessStopped(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex);
    return stopRequested.wait_for(lock, time, [this] { return stop; });
  }

  void SleepUntilStopped() {
    std::unique_lock lock(mutex);
    stopRequested.wait(lock, [this] { return stop; });
  }

  Reply Answer(const Request& request) {
    Handler handler;
    {
      std::lock_guard lock(mutex);
      requests.push_back(request);
      auto route = routes.find(request.target);
      if (route == routes.end()) return Reply::Status(404);
      handler = route->second;
    }
    try {
      return handler(request);
    } catch (const std::exception& error) {
      return Reply::Status(500, error.what());
    }
  }

  std::optional<std::string> ReadHead(net::Socket s) {
    std::string head;
    char buffer[4096];
    while (head.find(kHeadEnd) == std::string::npos) {
      if (Stopping() || head.size() > kMaxHeadBytes) return std::nullopt;
      int ready = net::WaitReadable(s, kPollMs);
      if (ready < 0) return std::nullopt;
      if (ready == 0) continue;
      long n = net::ReceiveSome(s, buffer, sizeof buffer);
      if (n == net::kWouldBlock) continue;
      if (n <= 0) return std::nullopt;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    head.resize(head.find(kHeadEnd));
    return head;
  }

  bool SendBytes(net::Socket s, std::string_view bytes) {
    while (!bytes.empty()) {
      if (Stopping()) return false;
      int ready = net::WaitWritable(s, kPollMs);
      if (ready < 0) return false;
      if (ready == 0) continue;
      long n = net::SendSome(s, bytes);
      if (n == net::kWouldBlock) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  void Linger(net::Socket s) {
    net::ShutdownSend(s);
    char buffer[4096];
    auto deadline = std::chrono::steady_clock::now() + kLingerTime;
    while (!Stopping() && std::chrono::steady_clock::now() < deadline) {
      int ready = net::WaitReadable(s, kPollMs);
      if (ready < 0) return;
      if (ready == 0) continue;
      long n = net::ReceiveSome(s, buffer, sizeof buffer);
      if (n != net::kWouldBlock && n <= 0) return;
    }
  }

  void ServeConnection(net::SocketHandle connection) {
    net::SetNonBlocking(connection.Get());
    std::optional<std::string> head = ReadHead(connection.Get());
    if (!head) return;
    std::optional<Request> request = ParseHead(*head);
    if (!request) return;
    Reply reply = Answer(*request);
    if (reply.delay.count() > 0 && SleepUnlessStopped(reply.delay)) return;
    switch (reply.kind) {
      case Reply::Kind::kNormal:
        if (SendBytes(connection.Get(), ReplyHead(reply, reply.body.size()) + reply.body)) {
          Linger(connection.Get());
        }
        return;
      case Reply::Kind::kStall:
        SleepUntilStopped();
        return;
      case Reply::Kind::kStallAfterHeaders:
        // The promised length must be more than nothing, or the client is done.
        SendBytes(connection.Get(), ReplyHead(reply, std::max<std::size_t>(reply.body.size(), 1)));
        SleepUntilStopped();
        return;
      case Reply::Kind::kReset:
        connection.Reset();
        return;
    }
  }

  void AcceptLoop() {
    std::vector<Worker> workers;
    while (!Stopping()) {
      if (net::WaitReadable(listener.Get(), kPollMs) <= 0) continue;
      net::SocketHandle connection(net::Accept(listener.Get()));
      if (!connection.Valid()) continue;
      std::erase_if(workers, [](Worker& worker) {
        if (!*worker.done) return false;
        worker.thread.join();
        return true;
      });
      auto done = std::make_shared<std::atomic<bool>>(false);
      workers.push_back({std::thread([this, done, c = std::move(connection)]() mutable {
                           ServeConnection(std::move(c));
                           *done = true;
                         }),
                         done});
    }
    for (Worker& worker : workers) worker.thread.join();
  }
};

PageServer::PageServer() : PageServer(0) {}

PageServer::PageServer(int port) : state_(std::make_unique<State>()) {
  state_->listener = net::SocketHandle(net::ListenLoopback(port));
  if (!state_->listener.Valid()) {
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
  }
  state_->port = net::LocalPort(state_->listener.Get());
  state_->acceptor = std::thread([state = state_.get()] { state->AcceptLoop(); });
}

PageServer::~PageServer() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stop = true;
  }
  state_->stopRequested.notify_all();
  state_->acceptor.join();
}

int PageServer::Port() const { return state_->port; }

std::string PageServer::Url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(state_->port) + target;
}

void PageServer::Serve(const std::string& target, Reply reply) {
  Serve(target, [reply = std::move(reply)](const Request&) { return reply; });
}

void PageServer::Serve(const std::string& target, Handler handler) {
  std::lock_guard lock(state_->mutex);
  state_->routes[target] = std::move(handler);
}

void PageServer::ServeFile(const std::string& target, const std::string& path,
                           std::string contentType) {
  Serve(target, Reply::Page(ReadFileBytes(path), std::move(contentType)));
}

std::vector<Request> PageServer::Requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

int PageServer::CountRequests(const std::string& target) const {
  std::lock_guard lock(state_->mutex);
  return static_cast<int>(std::count_if(state_->requests.begin(), state_->requests.end(),
                                        [&](const Request& r) { return r.target == target; }));
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace quorlin::test
