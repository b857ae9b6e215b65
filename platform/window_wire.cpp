#include "window_wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace wire {

bool FillAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

int Connect(const sockaddr_un& address) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno == EINTR) continue;
    ::close(fd);
    return -1;
  }
  return fd;
}

bool EndpointAnswers(const sockaddr_un& address) {
  const int fd = Connect(address);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

IoResult ReadAll(int fd, void* buffer, std::size_t bytes, std::int64_t timeoutMicros) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::microseconds(timeoutMicros);
  auto* out = static_cast<char*>(buffer);
  std::size_t got = 0;
  while (got < bytes) {
    timespec wait{};
    timespec* waitPointer = nullptr;
    if (timeoutMicros >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
      if (left <= 0) return IoResult::kTimedOut;
      wait.tv_sec = static_cast<time_t>(left / 1000000000);
      wait.tv_nsec = static_cast<long>(left % 1000000000);
      waitPointer = &wait;
    }
    pollfd watched{fd, POLLIN, 0};
    const int ready = ::ppoll(&watched, 1, waitPointer, nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return IoResult::kBroken;
    if (ready == 0) return IoResult::kTimedOut;
    const ssize_t n = ::recv(fd, out + got, bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return IoResult::kBroken;
    got += static_cast<std::size_t>(n);
  }
  return IoResult::kDone;
}

bool WriteAll(int fd, const void* buffer, std::size_t bytes) {
  const auto* in = static_cast<const char*>(buffer);
  std::size_t sent = 0;
  while (sent < bytes) {
    const ssize_t n = ::send(fd, in + sent, bytes - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace wire
