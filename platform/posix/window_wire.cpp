#include "window_wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace wire {

bool FillAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

namespace {

using Clock = std::chrono::steady_clock;

// A listener whose queue is full gives no wake-up to wait for: the connect is simply tried again.
constexpr auto kConnectRetryPause = std::chrono::milliseconds(1);

Clock::time_point DeadlineAfter(std::int64_t timeoutMicros) {
  return Clock::now() + std::chrono::microseconds(timeoutMicros);
}

// kDone when the socket is ready for events; timeoutMicros < 0 waits without limit.
IoResult AwaitReady(int fd, short events, std::int64_t timeoutMicros, Clock::time_point deadline) {
  for (;;) {
    timespec wait{};
    timespec* waitPointer = nullptr;
    if (timeoutMicros >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
      if (left <= 0) return IoResult::kTimedOut;
      wait.tv_sec = static_cast<time_t>(left / 1000000000);
      wait.tv_nsec = static_cast<long>(left % 1000000000);
      waitPointer = &wait;
    }
    pollfd watched{fd, events, 0};
    const int ready = ::ppoll(&watched, 1, waitPointer, nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return IoResult::kBroken;
    return ready == 0 ? IoResult::kTimedOut : IoResult::kDone;
  }
}

}  // namespace

int Connect(const sockaddr_un& address, std::int64_t timeoutMicros) {
  const auto deadline = DeadlineAfter(timeoutMicros);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (errno == EINTR) continue;
    if (errno != EAGAIN || Clock::now() >= deadline) break;
    std::this_thread::sleep_for(kConnectRetryPause);
  }
  const int error = errno;
  ::close(fd);
  errno = error;
  return -1;
}

bool EndpointAnswers(const sockaddr_un& address) {
  const int fd = Connect(address, 0);
  if (fd < 0) return errno == EAGAIN;
  ::close(fd);
  return true;
}

IoResult ReadAll(int fd, void* buffer, std::size_t bytes, std::int64_t timeoutMicros) {
  const auto deadline = DeadlineAfter(timeoutMicros);
  auto* out = static_cast<char*>(buffer);
  std::size_t got = 0;
  while (got < bytes) {
    const IoResult ready = AwaitReady(fd, POLLIN, timeoutMicros, deadline);
    if (ready != IoResult::kDone) return ready;
    const ssize_t n = ::recv(fd, out + got, bytes - got, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return IoResult::kBroken;
    got += static_cast<std::size_t>(n);
  }
  return IoResult::kDone;
}

// A peer that takes nothing (its process hangs) must not hold the writer beyond its time.
IoResult WriteAll(int fd, const void* buffer, std::size_t bytes, std::int64_t timeoutMicros) {
  const auto deadline = DeadlineAfter(timeoutMicros);
  const auto* in = static_cast<const char*>(buffer);
  std::size_t sent = 0;
  while (sent < bytes) {
    const ssize_t n = ::send(fd, in + sent, bytes - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      const IoResult ready = AwaitReady(fd, POLLOUT, timeoutMicros, deadline);
      if (ready != IoResult::kDone) return ready;
    } else if (n >= 0 || errno != EINTR) {
      return IoResult::kBroken;
    }
  }
  return IoResult::kDone;
}

}  // namespace wire
