// A connection's byte count (BytesTaken) is declared from Windows 10 version 1703 on; an older
// system answers its query with an error, which BytesTaken reads as "cannot tell".
#ifndef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003
#endif

#include "platform/sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which it needs.
#include <mstcpip.h>

#include <chrono>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Windows Sockets are started once for the process and stay started until it ends.
bool SocketsStarted() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

SOCKET Native(std::intptr_t fd) { return static_cast<SOCKET>(fd); }

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }

}  // namespace

TcpClient::~TcpClient() { Close(); }

void TcpClient::Close() {
  if (fd_ != -1) {
    ::closesocket(Native(fd_));
    fd_ = -1;
  }
}

SocketResult TcpClient::Fail(SocketResult result) {
  Close();
  return result;
}

SocketResult TcpClient::WaitFor(short events, int timeoutMs) {
  WSAPOLLFD entry{};
  entry.fd = Native(fd_);
  entry.events = events == POLLIN ? POLLRDNORM : POLLWRNORM;
  const int ready = ::WSAPoll(&entry, 1, timeoutMs);
  if (ready > 0) {
    return SocketResult::kOk;
  }
  return ready == 0 ? SocketResult::kTimedOut : SocketResult::kFailed;
}

SocketResult TcpClient::Connect(const std::string& ipv4Address, std::uint16_t port, int timeoutMs) {
  SocketResult result = StartConnect(ipv4Address, port);
  if (result == SocketResult::kPending) {
    result = FinishConnect(timeoutMs);
    if (result == SocketResult::kPending) result = SocketResult::kTimedOut;
  }
  return result == SocketResult::kOk || result == SocketResult::kBadAddress ? result : Fail(result);
}

SocketResult TcpClient::StartConnect(const std::string& ipv4Address, std::uint16_t port) {
  Close();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = ::htons(port);
  if (port == 0 || ::inet_pton(AF_INET, ipv4Address.c_str(), &address.sin_addr) != 1) {
    return SocketResult::kBadAddress;
  }
  if (!SocketsStarted()) {
    return SocketResult::kFailed;
  }
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == INVALID_SOCKET) {
    return SocketResult::kFailed;
  }
  fd_ = static_cast<std::intptr_t>(socket);
  u_long nonBlocking = 1;
  if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
    return SocketResult::kFailed;
  }
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return SocketResult::kOk;
  }
  return WouldBlock(::WSAGetLastError()) ? SocketResult::kPending : SocketResult::kConnectFailed;
}

SocketResult TcpClient::FinishConnect(int waitMs) {
  if (fd_ == -1) {
    return SocketResult::kConnectFailed;
  }
  // A refused connection shows as an error event, not as writable.
  WSAPOLLFD entry{};
  entry.fd = Native(fd_);
  entry.events = POLLWRNORM;
  const int ready = ::WSAPoll(&entry, 1, waitMs);
  if (ready == 0) {
    return SocketResult::kPending;
  }
  int error = 0;
  int length = sizeof error;
  if (ready < 0 ||
      ::getsockopt(Native(fd_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
      error != 0 || (entry.revents & POLLWRNORM) == 0) {
    return SocketResult::kConnectFailed;
  }
  return SocketResult::kOk;
}

SocketResult TcpClient::SendAll(const char* data, std::size_t length, int timeoutMs) {
  if (fd_ == -1) {
    return SocketResult::kClosed;
  }
  std::size_t sent = 0;
  while (sent < length) {
    const std::size_t piece = length - sent < 0x40000000 ? length - sent : 0x40000000;
    const int n = ::send(Native(fd_), data + sent, static_cast<int>(piece), 0);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    const int error = ::WSAGetLastError();
    if (n < 0 && WouldBlock(error)) {
      const SocketResult waited = WaitFor(POLLOUT, timeoutMs);
      if (waited != SocketResult::kOk) {
        return Fail(waited);
      }
      continue;
    }
    return Fail(error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN
                    ? SocketResult::kClosed
                    : SocketResult::kFailed);
  }
  return SocketResult::kOk;
}

SocketResult TcpClient::Receive(char* buffer, std::size_t capacity, int timeoutMs, std::size_t& received) {
  received = 0;
  if (fd_ == -1) {
    return SocketResult::kClosed;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const int room = capacity < 0x40000000 ? static_cast<int>(capacity) : 0x40000000;
  for (;;) {
    const int n = ::recv(Native(fd_), buffer, room, 0);
    if (n > 0) {
      received = static_cast<std::size_t>(n);
      return SocketResult::kOk;
    }
    if (n == 0) {
      return Fail(SocketResult::kClosed);
    }
    const int error = ::WSAGetLastError();
    if (!WouldBlock(error)) {
      return Fail(error == WSAECONNRESET || error == WSAECONNABORTED ? SocketResult::kClosed
                                                                     : SocketResult::kFailed);
    }
    const SocketResult waited = WaitFor(POLLIN, MsLeft(deadline));
    if (waited != SocketResult::kOk) {
      return Fail(waited);
    }
  }
}

SocketResult TcpClient::ReceiveSome(char* buffer, std::size_t capacity, int waitMs, std::size_t& received) {
  received = 0;
  if (fd_ == -1) {
    return SocketResult::kClosed;
  }
  const SocketResult waited = WaitFor(POLLIN, waitMs);
  if (waited != SocketResult::kOk) {
    return waited == SocketResult::kTimedOut ? SocketResult::kPending : waited;
  }
  const int room = capacity < 0x40000000 ? static_cast<int>(capacity) : 0x40000000;
  const int n = ::recv(Native(fd_), buffer, room, 0);
  if (n > 0) {
    received = static_cast<std::size_t>(n);
    return SocketResult::kOk;
  }
  if (n == 0) {
    return SocketResult::kClosed;
  }
  const int error = ::WSAGetLastError();
  if (WouldBlock(error)) {
    return SocketResult::kPending;
  }
  return error == WSAECONNRESET || error == WSAECONNABORTED ? SocketResult::kReset : SocketResult::kFailed;
}

bool ResolveIPv4(const std::string& host, std::string& address) {
  if (!SocketsStarted()) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return false;
  }
  char text[INET_ADDRSTRLEN] = {};
  const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const bool ok = ::inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) != nullptr;
  ::freeaddrinfo(found);
  if (ok) address = text;
  return ok;
}

// A socket is a handle of the process: its copy is a second handle of the same socket.
std::intptr_t CopySocket(std::intptr_t socket) {
  HANDLE copy = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (socket == -1 || !::DuplicateHandle(self, reinterpret_cast<HANDLE>(socket), self, &copy, 0, FALSE,
                                         DUPLICATE_SAME_ACCESS)) {
    return -1;
  }
  return reinterpret_cast<std::intptr_t>(copy);
}

void CutSocket(std::intptr_t socket) { ::shutdown(Native(socket), SD_BOTH); }

void CloseSocketCopy(std::intptr_t socket) { ::closesocket(Native(socket)); }

// The library's sockets do not block, so the peek only looks at what has arrived.
bool ConnectionWasReset(std::intptr_t socket) {
  char byte;
  if (::recv(Native(socket), &byte, 1, MSG_PEEK) >= 0) return false;
  const int error = ::WSAGetLastError();
  return error == WSAECONNRESET || error == WSAECONNABORTED;
}

// The arrival count is read before what waits, so bytes that arrive in between make the result
// smaller, never larger.
std::uint64_t BytesTaken(std::intptr_t socket) {
  DWORD version = 0;
  TCP_INFO_v0 info{};
  DWORD returned = 0;
  u_long waiting = 0;
  if (::WSAIoctl(Native(socket), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &returned,
                 nullptr, nullptr) != 0 ||
      returned < sizeof info || ::ioctlsocket(Native(socket), FIONREAD, &waiting) != 0) {
    return 0;
  }
  const std::uint64_t unread = waiting;
  return info.BytesIn > unread ? info.BytesIn - unread : 0;
}

// The GUI library selects window messages for its sockets, which keeps them non-blocking whatever
// it is asked: the system's bound never comes into play, and the library's own wait must do.
bool SetReceiveTimeout(std::intptr_t socket, int seconds) {
  const DWORD limitMs = static_cast<DWORD>(seconds) * 1000;
  ::setsockopt(Native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limitMs),
               sizeof limitMs);
  return false;
}

}  // namespace platform
