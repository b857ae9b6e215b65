#include "platform/link_cancel.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

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

void LinkCancel::WaitForWake(std::intptr_t wake, std::int64_t micros) {
  const timespec wait{static_cast<time_t>(micros / 1000000), static_cast<long>(micros % 1000000) * 1000};
  pollfd watched{static_cast<int>(wake), POLLIN, 0};
  ::ppoll(&watched, 1, &wait, nullptr);
}
