#include "peers/loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace testpeers {
namespace {

int BindLoopback(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    throw std::runtime_error("socket");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    throw std::runtime_error("bind");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

LoopbackListener::LoopbackListener(int backlog) {
  fd_ = BindLoopback(port_);
  if (::listen(fd_, backlog) != 0) {
    ::close(fd_);
    throw std::runtime_error("listen");
  }
}

LoopbackListener::~LoopbackListener() { ::close(fd_); }

int LoopbackListener::Accept(int timeoutMs) {
  pollfd entry{fd_, POLLIN, 0};
  if (::poll(&entry, 1, timeoutMs) <= 0) {
    return -1;
  }
  return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

std::uint16_t ClosedLoopbackPort() {
  std::uint16_t port = 0;
  ::close(BindLoopback(port));
  return port;
}

bool ReadUntil(int fd, std::string& text, const std::string& needle, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (text.find(needle) == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    pollfd entry{fd, POLLIN, 0};
    if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) <= 0) {
      return false;
    }
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
      return false;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void CloseWithReset(int fd) {
  const linger reset{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::close(fd);
}

}  // namespace testpeers
