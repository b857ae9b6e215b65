#include "platform/link_cancel.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

// Without a wake descriptor a wait looks at the flag this often.
constexpr std::int64_t kFallbackSliceMicros = 10000;

using Clock = std::chrono::steady_clock;

}  // namespace

LinkCancel::LinkCancel() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_[0] = fds[0];
    wake_[1] = fds[1];
  }
}

LinkCancel::~LinkCancel() {
  for (const std::intptr_t fd : wake_) {
    if (fd >= 0) ::close(static_cast<int>(fd));
  }
}

// The byte is never read: the pipe stays readable for every later wait.
void LinkCancel::Raise() {
  if (raised_.exchange(true, std::memory_order_acq_rel)) return;
  if (wake_[1] >= 0) {
    const char byte = 1;
    while (::write(static_cast<int>(wake_[1]), &byte, 1) < 0 && errno == EINTR) {
    }
  }
}

bool LinkCancel::Pause(std::int64_t micros) const {
  const auto deadline = Clock::now() + std::chrono::microseconds(std::max<std::int64_t>(micros, 0));
  for (;;) {
    if (Raised()) return false;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    if (wake_[0] < 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(std::min(left, kFallbackSliceMicros)));
      continue;
    }
    const timespec wait{static_cast<time_t>(left / 1000000), static_cast<long>(left % 1000000) * 1000};
    pollfd watched{static_cast<int>(wake_[0]), POLLIN, 0};
    ::ppoll(&watched, 1, &wait, nullptr);
  }
}
