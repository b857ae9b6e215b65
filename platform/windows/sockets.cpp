#include "platform/sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace platform {
namespace {

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

void TcpClient::Close() {
  if (fd_ != -1) {
    ::closesocket(Native(fd_));
    fd_ = -1;
  }
}

SocketResult TcpClient::WaitFor(Await readiness, int timeoutMs) {
  WSAPOLLFD entry{};
  entry.fd = Native(fd_);
  entry.events = readiness == Await::kReadable ? POLLRDNORM : POLLWRNORM;
  const int ready = ::WSAPoll(&entry, 1, timeoutMs);
  if (ready > 0) {
    return SocketResult::kOk;
  }
  return ready == 0 ? SocketResult::kTimedOut : SocketResult::kFailed;
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
      const SocketResult waited = WaitFor(Await::kWritable, timeoutMs);
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

SocketResult TcpClient::SendSome(const char* data, std::size_t length, int waitMs, std::size_t& sent) {
  sent = 0;
  if (fd_ == -1) {
    return SocketResult::kClosed;
  }
  const SocketResult waited = WaitFor(Await::kWritable, waitMs);
  if (waited != SocketResult::kOk) {
    return waited == SocketResult::kTimedOut ? SocketResult::kPending : waited;
  }
  const std::size_t piece = length < 0x40000000 ? length : 0x40000000;
  const int n = ::send(Native(fd_), data, static_cast<int>(piece), 0);
  if (n >= 0) {
    sent = static_cast<std::size_t>(n);
    return SocketResult::kOk;
  }
  const int error = ::WSAGetLastError();
  if (WouldBlock(error)) {
    return SocketResult::kPending;
  }
  return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN ? SocketResult::kClosed
                                                                                     : SocketResult::kFailed;
}

SocketResult TcpClient::TakeArrived(char* buffer, std::size_t capacity, std::size_t& received) {
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

}  // namespace platform
