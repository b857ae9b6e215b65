#include "platform/console.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

void UseBinaryStandardStreams() {}

long ReadStandardInput(char* buffer, std::size_t capacity, int timeoutMs) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const int ready = ::poll(&input, 1, timeoutMs);
  if (ready < 0) return errno == EINTR ? -1 : -2;
  if (ready == 0) return -1;
  const ssize_t n = ::read(STDIN_FILENO, buffer, capacity);
  if (n < 0) return errno == EINTR || errno == EAGAIN ? -1 : -2;
  return static_cast<long>(n);
}

}  // namespace platform
