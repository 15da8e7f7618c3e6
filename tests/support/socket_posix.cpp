#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "socket_api.h"

namespace quorlin::test::net {
namespace {

int Fd(Socket s) { return static_cast<int>(s); }

Socket FromFd(int fd) { return fd < 0 ? kNoSocket : static_cast<Socket>(fd); }

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int WaitFor(Socket s, short events, int timeoutMs) {
  pollfd entry{Fd(s), events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  // A hang-up or an error counts as ready: the next call reports it.
  return ready < 0 ? -1 : (ready == 0 ? 0 : 1);
}

long Outcome(ssize_t n) {
  if (n >= 0) return static_cast<long>(n);
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : -1;
}

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  return set;
}

}  // namespace

NetSession::NetSession() = default;
NetSession::~NetSession() = default;

Socket ListenLoopback(int port) {
  SocketHandle listener(FromFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)));
  if (!listener.Valid()) return kNoSocket;
  // A fixed port given by the caller must be reusable right after a restart.
  int on = 1;
  setsockopt(Fd(listener.Get()), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address = LoopbackAddress(port);
  if (bind(Fd(listener.Get()), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(Fd(listener.Get()), SOMAXCONN) != 0) {
    return kNoSocket;
  }
  return listener.Release();
}

int LocalPort(Socket s) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  if (getsockname(Fd(s), reinterpret_cast<sockaddr*>(&address), &size) != 0) return -1;
  return ntohs(address.sin_port);
}

Socket ConnectLoopback(int port) {
  SocketHandle client(FromFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)));
  if (!client.Valid()) return kNoSocket;
  sockaddr_in address = LoopbackAddress(port);
  if (connect(Fd(client.Get()), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    return kNoSocket;
  }
  return client.Release();
}

Socket Accept(Socket listener) {
  int fd;
  do {
    fd = accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return FromFd(fd);
}

int WaitReadable(Socket s, int timeoutMs) { return WaitFor(s, POLLIN, timeoutMs); }
int WaitWritable(Socket s, int timeoutMs) { return WaitFor(s, POLLOUT, timeoutMs); }

bool SetNonBlocking(Socket s) {
  int flags = fcntl(Fd(s), F_GETFL);
  return flags >= 0 && fcntl(Fd(s), F_SETFL, flags | O_NONBLOCK) == 0;
}

long ReceiveSome(Socket s, char* buffer, std::size_t size) {
  ssize_t n;
  do {
    n = recv(Fd(s), buffer, size, 0);
  } while (n < 0 && errno == EINTR);
  return Outcome(n);
}

long SendSome(Socket s, std::string_view bytes) {
  ssize_t n;
  do {
    // A peer that has gone must be an error code, not a SIGPIPE.
    n = send(Fd(s), bytes.data(), bytes.size(), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return Outcome(n);
}

bool SendAll(Socket s, std::string_view bytes) {
  while (!bytes.empty()) {
    long n = SendSome(s, bytes);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void ShutdownSend(Socket s) { shutdown(Fd(s), SHUT_WR); }

void CloseSocket(Socket s) { close(Fd(s)); }

void ResetSocket(Socket s) {
  linger hard{1, 0};
  setsockopt(Fd(s), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  close(Fd(s));
}

void BlockStopSignals() {
  sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void WaitForStopSignal() {
  sigset_t set = StopSignals();
  int signal = 0;
  sigwait(&set, &signal);
}

}  // namespace quorlin::test::net
