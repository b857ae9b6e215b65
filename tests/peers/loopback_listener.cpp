#include "peers/loopback_listener.h"

#include <chrono>
#include <stdexcept>

namespace testpeers {

LoopbackListener::LoopbackListener(int backlog) {
  fd_ = BindLoopback(port_);
  if (!StartListening(fd_, backlog)) {
    CloseSocket(fd_);
    throw std::runtime_error("listen");
  }
}

LoopbackListener::~LoopbackListener() { CloseSocket(fd_); }

PeerSocket LoopbackListener::Accept(int timeoutMs) { return AcceptWithin(fd_, timeoutMs); }

std::uint16_t ClosedLoopbackPort() {
  std::uint16_t port = 0;
  CloseSocket(BindLoopback(port));
  return port;
}

bool ReadUntil(PeerSocket fd, std::string& text, const std::string& needle, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (text.find(needle) == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    if (left <= 0 || !WaitReadable(fd, static_cast<int>(left))) {
      return false;
    }
    char buffer[4096];
    const long n = ReceiveSome(fd, buffer, sizeof buffer);
    if (n <= 0) {
      return false;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

bool WriteAll(PeerSocket fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const long n = SendSome(fd, bytes.data() + sent, bytes.size() - sent);
    if (n <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace testpeers
