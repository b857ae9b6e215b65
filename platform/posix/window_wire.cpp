#include "window_wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/link_cancel.h"

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

// Without a wake descriptor a cancel is looked at this often.
constexpr std::int64_t kCancelSliceNs = 10000000;

// kDone when the socket is ready for events; timeoutMicros < 0 waits without limit. The calling
// thread's link cancel ends the wait as well.
IoResult AwaitReady(int fd, short events, std::int64_t timeoutMicros, Clock::time_point deadline) {
  const LinkCancel* cancel = BoundLinkCancel();
  const int wakeFd = cancel != nullptr ? static_cast<int>(cancel->WakeHandle()) : -1;
  const bool sliced = cancel != nullptr && wakeFd < 0;
  for (;;) {
    if (cancel != nullptr && cancel->Raised()) return IoResult::kCancelled;
    std::int64_t waitNs = -1;
    if (timeoutMicros >= 0) {
      waitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
      if (waitNs <= 0) return IoResult::kTimedOut;
    }
    if (sliced && (waitNs < 0 || waitNs > kCancelSliceNs)) waitNs = kCancelSliceNs;
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(waitNs / 1000000000);
    wait.tv_nsec = static_cast<long>(waitNs % 1000000000);
    pollfd watched[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};  // poll passes over fd -1
    const int ready = ::ppoll(watched, 2, waitNs >= 0 ? &wait : nullptr, nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return IoResult::kBroken;
    if (watched[0].revents != 0) return IoResult::kDone;
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
    if (LinkCancelRaised()) {
      errno = ECANCELED;
      break;
    }
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
