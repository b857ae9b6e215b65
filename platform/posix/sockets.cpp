#include "platform/sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>

namespace platform {

void TcpClient::Close() {
  if (fd_ >= 0) {
    ::close(static_cast<int>(fd_));
    fd_ = -1;
  }
}

// Waits until the socket is ready for events; poll's EINTR restarts with the time that is left.
SocketResult TcpClient::WaitFor(Await readiness, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const short events = readiness == Await::kReadable ? POLLIN : POLLOUT;
  for (;;) {
    pollfd entry{static_cast<int>(fd_), events, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int ready = ::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready > 0) {
      return SocketResult::kOk;
    }
    if (ready == 0) {
      return SocketResult::kTimedOut;
    }
    if (errno != EINTR) {
      return SocketResult::kFailed;
    }
  }
}

SocketResult TcpClient::StartConnect(const std::string& ipv4Address, std::uint16_t port) {
  Close();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (port == 0 || ::inet_pton(AF_INET, ipv4Address.c_str(), &address.sin_addr) != 1) {
    return SocketResult::kBadAddress;
  }
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    return SocketResult::kFailed;
  }
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return SocketResult::kOk;
  }
  return errno == EINPROGRESS ? SocketResult::kPending : SocketResult::kConnectFailed;
}

SocketResult TcpClient::FinishConnect(int waitMs) {
  if (fd_ < 0) {
    return SocketResult::kConnectFailed;
  }
  const SocketResult waited = WaitFor(Await::kWritable, waitMs);
  if (waited == SocketResult::kTimedOut) {
    return SocketResult::kPending;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (waited != SocketResult::kOk || ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
      error != 0) {
    return SocketResult::kConnectFailed;
  }
  return SocketResult::kOk;
}

SocketResult TcpClient::SendAll(const char* data, std::size_t length, int timeoutMs) {
  if (fd_ < 0) {
    return SocketResult::kClosed;
  }
  std::size_t sent = 0;
  while (sent < length) {
    const ssize_t n = ::send(fd_, data + sent, length - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      const SocketResult waited = WaitFor(Await::kWritable, timeoutMs);
      if (waited != SocketResult::kOk) {
        return Fail(waited);
      }
      continue;
    }
    return Fail(errno == EPIPE || errno == ECONNRESET ? SocketResult::kClosed : SocketResult::kFailed);
  }
  return SocketResult::kOk;
}

SocketResult TcpClient::SendSome(const char* data, std::size_t length, int waitMs, std::size_t& sent) {
  sent = 0;
  if (fd_ < 0) {
    return SocketResult::kClosed;
  }
  const SocketResult waited = WaitFor(Await::kWritable, waitMs);
  if (waited != SocketResult::kOk) {
    return waited == SocketResult::kTimedOut ? SocketResult::kPending : waited;
  }
  for (;;) {
    const ssize_t n = ::send(fd_, data, length, MSG_NOSIGNAL);
    if (n >= 0) {
      sent = static_cast<std::size_t>(n);
      return SocketResult::kOk;
    }
    if (errno == EINTR) {
      continue;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      return SocketResult::kPending;
    }
    return errno == EPIPE || errno == ECONNRESET ? SocketResult::kClosed : SocketResult::kFailed;
  }
}

SocketResult TcpClient::TakeArrived(char* buffer, std::size_t capacity, std::size_t& received) {
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, capacity, MSG_DONTWAIT);
    if (n > 0) {
      received = static_cast<std::size_t>(n);
      return SocketResult::kOk;
    }
    if (n == 0) {
      return SocketResult::kClosed;
    }
    if (errno == EINTR) {
      continue;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      return SocketResult::kPending;
    }
    return errno == ECONNRESET ? SocketResult::kReset : SocketResult::kFailed;
  }
}

bool ResolveIPv4(const std::string& host, std::string& address) {
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
