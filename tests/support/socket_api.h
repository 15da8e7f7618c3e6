// The few socket calls the test page server and its tests need, with one
// implementation on POSIX sockets and one on Winsock, so that the server's
// logic carries no platform code. Loopback only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace quorlin::test::net {

// Wide enough for both an fd and a Winsock SOCKET.
using Socket = std::uintptr_t;
inline constexpr Socket kNoSocket = ~Socket{0};

// Winsock must be started before any call and cleaned up after; a no-op on
// POSIX. Counted by the system, so nested sessions are fine.
class NetSession {
 public:
  NetSession();
  ~NetSession();
  NetSession(const NetSession&) = delete;
  NetSession& operator=(const NetSession&) = delete;
};

// Listens on 127.0.0.1:port (0: a free port); kNoSocket on failure.
Socket ListenLoopback(int port);
int LocalPort(Socket s);  // -1 on failure
Socket ConnectLoopback(int port);
Socket Accept(Socket listener);  // kNoSocket on failure

// 1: ready, 0: timed out, -1: error.
int WaitReadable(Socket s, int timeoutMs);
int WaitWritable(Socket s, int timeoutMs);

bool SetNonBlocking(Socket s);
// >0: bytes, 0: orderly end, -1: error, -2: would block (non-blocking only).
inline constexpr long kWouldBlock = -2;
long ReceiveSome(Socket s, char* buffer, std::size_t size);
long SendSome(Socket s, std::string_view bytes);  // same codes, 0 never returned
bool SendAll(Socket s, std::string_view bytes);   // for blocking sockets
void ShutdownSend(Socket s);
void CloseSocket(Socket s);
// Drops the connection with a TCP reset instead of an orderly close.
void ResetSocket(Socket s);

// POSIX: SIGTERM and SIGINT are blocked before threads start, so that they
// inherit the mask, and then awaited. Windows: nothing to block; the wait
// lasts until the process is killed.
void BlockStopSignals();
void WaitForStopSignal();

// Owns one socket and closes it once.
class SocketHandle {
 public:
  SocketHandle() = default;
  explicit SocketHandle(Socket s) : s_(s) {}
  ~SocketHandle() { Close(); }
  SocketHandle(SocketHandle&& other) noexcept : s_(std::exchange(other.s_, kNoSocket)) {}
  SocketHandle& operator=(SocketHandle&& other) noexcept {
    if (this != &other) {
      Close();
      s_ = std::exchange(other.s_, kNoSocket);
    }
    return *this;
  }
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;

  Socket Get() const { return s_; }
  Socket Release() { return std::exchange(s_, kNoSocket); }
  bool Valid() const { return s_ != kNoSocket; }
  void Close() {
    if (Valid()) CloseSocket(std::exchange(s_, kNoSocket));
  }
  void Reset() {
    if (Valid()) ResetSocket(std::exchange(s_, kNoSocket));
  }

 private:
  Socket s_ = kNoSocket;
};

}  // namespace quorlin::test::net
