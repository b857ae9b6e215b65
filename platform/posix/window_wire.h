#pragma once

#include <sys/un.h>

#include <cstdint>
#include <string>

#include "platform/win_ipc.h"

// What a message looks like on a window endpoint's socket. A sender keeps its connection; each
// request carries a number that its reply repeats, so a late reply to a message the sender gave
// up on is never taken for the answer to a later one.
namespace wire {

struct Request {
  std::uint64_t sequence;
  std::uint32_t message;
  std::uint32_t unused;
  std::uint64_t wparam;
  std::int64_t lparam;
};

struct Reply {
  std::uint64_t sequence;
  std::uint64_t value;
};

// kCancelled: the calling thread's link cancel was raised (platform/link_cancel.h).
enum class IoResult { kDone, kTimedOut, kBroken, kCancelled };

bool FillAddress(const std::string& path, sockaddr_un* address);
// True when something listens at the address, even when its process hangs and takes no
// connection; never blocks.
bool EndpointAnswers(const sockaddr_un& address);
// Connected stream socket (non-blocking), or -1 with errno: EAGAIN when the listener took no
// connection within the time (its queue is full), ECANCELED when the link cancel was raised
// meanwhile, anything else when nobody listens.
int Connect(const sockaddr_un& address, std::int64_t timeoutMicros);

// timeoutMicros < 0 waits without limit.
IoResult ReadAll(int fd, void* buffer, std::size_t bytes, std::int64_t timeoutMicros);
IoResult WriteAll(int fd, const void* buffer, std::size_t bytes, std::int64_t timeoutMicros);

}  // namespace wire
