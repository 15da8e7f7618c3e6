// <winsock2.h> brings <windows.h> too (Sleep).
#include <winsock2.h>
#include <ws2tcpip.h>

#include "socket_api.h"

namespace quorlin::test::net {
namespace {

SOCKET Native(Socket s) { return static_cast<SOCKET>(s); }

Socket FromNative(SOCKET s) { return s == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(s); }

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int WaitFor(Socket s, bool write, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(Native(s), &set);
  // A reset or an orderly end shows as readable; the next call reports it.
  timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int ready = select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &timeout);
  return ready == SOCKET_ERROR ? -1 : (ready == 0 ? 0 : 1);
}

long Outcome(int n) {
  if (n != SOCKET_ERROR) return n;
  return WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : -1;
}

}  // namespace

NetSession::NetSession() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

NetSession::~NetSession() { WSACleanup(); }

Socket ListenLoopback(int port) {
  SocketHandle listener(FromNative(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)));
  if (!listener.Valid()) return kNoSocket;
  // Windows' SO_REUSEADDR lets another socket steal the port; exclusive use is
  // what a server wants here.
  BOOL on = TRUE;
  setsockopt(Native(listener.Get()), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_in address = LoopbackAddress(port);
  if (bind(Native(listener.Get()), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(Native(listener.Get()), SOMAXCONN) != 0) {
    return kNoSocket;
  }
  return listener.Release();
}

int LocalPort(Socket s) {
  sockaddr_in address{};
  int size = sizeof address;
  if (getsockname(Native(s), reinterpret_cast<sockaddr*>(&address), &size) != 0) return -1;
  return ntohs(address.sin_port);
}

Socket ConnectLoopback(int port) {
  SocketHandle client(FromNative(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)));
  if (!client.Valid()) return kNoSocket;
  sockaddr_in address = LoopbackAddress(port);
  if (connect(Native(client.Get()), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    return kNoSocket;
  }
  return client.Release();
}

Socket Accept(Socket listener) { return FromNative(accept(Native(listener), nullptr, nullptr)); }

int WaitReadable(Socket s, int timeoutMs) { return WaitFor(s, false, timeoutMs); }
int WaitWritable(Socket s, int timeoutMs) { return WaitFor(s, true, timeoutMs); }

bool SetNonBlocking(Socket s) {
  u_long on = 1;
  return ioctlsocket(Native(s), FIONBIO, &on) == 0;
}

long ReceiveSome(Socket s, char* buffer, std::size_t size) {
  return Outcome(recv(Native(s), buffer, static_cast<int>(size), 0));
}

long SendSome(Socket s, std::string_view bytes) {
  return Outcome(send(Native(s), bytes.data(), static_cast<int>(bytes.size()), 0));
}

bool SendAll(Socket s, std::string_view bytes) {
  while (!bytes.empty()) {
    long n = SendSome(s, bytes);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void ShutdownSend(Socket s) { shutdown(Native(s), SD_SEND); }

void CloseSocket(Socket s) { closesocket(Native(s)); }

void ResetSocket(Socket s) {
  linger hard{1, 0};
  setsockopt(Native(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  closesocket(Native(s));
}

void BlockStopSignals() {}

void WaitForStopSignal() {
  for (;;) Sleep(INFINITE);
}

}  // namespace quorlin::test::net
