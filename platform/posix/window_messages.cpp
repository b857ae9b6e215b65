// Finding a window by class, registered message ids and the blocking send with time-out.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/link_cancel.h"
#include "platform/test_knobs.h"
#include "platform/win_ipc.h"
#include "platform/window_endpoint.h"
#include "runtime_dir.h"
#include "window_wire.h"

namespace {

// Registered ids lie where Windows puts them.
constexpr WinUint kFirstRegisteredMessage = 0xC000;
constexpr WinUint kRegisteredMessageCount = 0x4000;

// One window is one endpoint's socket file. A window that closes and a new one of the same class
// are two windows, as on Windows: a handle must never reach the newcomer. Inode numbers are
// reused, so the stamp the endpoint puts on its file is part of the identity.
struct EndpointIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t stampNs = 0;

  bool operator==(const EndpointIdentity& other) const {
    return device == other.device && inode == other.inode && stampNs == other.stampNs;
  }
};

bool IdentityOf(const std::string& path, EndpointIdentity* identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  identity->device = info.st_dev;
  identity->inode = info.st_ino;
  identity->stampNs = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

// One connection per window, kept between sends; its lock makes a send whole, so replies are read
// by the sender they belong to.
struct WindowLink {
  std::string path;
  EndpointIdentity identity;
  std::mutex sendLock;
  int fd = -1;
  std::uint64_t lastSequence = 0;
};

// A window handle is an index into this process's list (1-based), so the same window always gives
// the same handle.
struct WindowTable {
  std::mutex lock;
  std::vector<std::unique_ptr<WindowLink>> windows;
};

WindowTable& Windows() {
  static WindowTable table;
  return table;
}

void Disconnect(WindowLink* link) {
  if (link->fd >= 0) ::close(link->fd);
  link->fd = -1;
}

WinWindow HandleFor(const std::string& path, const EndpointIdentity& identity) {
  WindowTable& table = Windows();
  std::lock_guard<std::mutex> guard(table.lock);
  for (std::size_t i = 0; i < table.windows.size(); ++i) {
    if (table.windows[i]->path == path && table.windows[i]->identity == identity) return i + 1;
  }
  // Earlier windows of the class have gone: their connections go too. A sender busy on one of
  // them finds it gone and drops that connection itself.
  for (const auto& earlier : table.windows) {
    if (earlier->path != path) continue;
    std::unique_lock<std::mutex> idle(earlier->sendLock, std::try_to_lock);
    if (idle.owns_lock()) Disconnect(earlier.get());
  }
  table.windows.push_back(std::make_unique<WindowLink>());
  table.windows.back()->path = path;
  table.windows.back()->identity = identity;
  return table.windows.size();
}

WindowLink* LinkFor(WinWindow window) {
  WindowTable& table = Windows();
  std::lock_guard<std::mutex> guard(table.lock);
  if (window == 0 || window > table.windows.size()) return nullptr;
  return table.windows[window - 1].get();  // entries are never removed
}

using Clock = std::chrono::steady_clock;

std::int64_t MicrosLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
  return left > 0 ? left : 0;
}

// A kept connection may have been dropped: then one fresh connection, to the same window only. A
// window whose process hangs takes neither the connection nor the request in time: that is a
// time-out, and the connection is dropped, since part of the request may lie on it.
wire::IoResult SendRequest(WindowLink* link, const wire::Request& request, Clock::time_point deadline) {
  if (link->fd >= 0) {
    const wire::IoResult sent = wire::WriteAll(link->fd, &request, sizeof request, MicrosLeft(deadline));
    if (sent == wire::IoResult::kDone) return sent;
    Disconnect(link);
    if (sent == wire::IoResult::kTimedOut) return sent;
  }
  sockaddr_un address{};
  EndpointIdentity now;
  if (!IdentityOf(link->path, &now) || !(now == link->identity) || !wire::FillAddress(link->path, &address)) {
    return wire::IoResult::kBroken;  // the window has gone, whoever took its class since
  }
  link->fd = wire::Connect(address, MicrosLeft(deadline));
  if (link->fd < 0) {
    if (errno == EAGAIN) return wire::IoResult::kTimedOut;
    return errno == ECANCELED ? wire::IoResult::kCancelled : wire::IoResult::kBroken;
  }
  const wire::IoResult sent = wire::WriteAll(link->fd, &request, sizeof request, MicrosLeft(deadline));
  if (sent != wire::IoResult::kDone) Disconnect(link);
  return sent;
}

// Replies to earlier sends that timed out are passed over.
wire::IoResult AwaitReply(WindowLink* link, std::uint64_t sequence, Clock::time_point deadline,
                          wire::Reply* reply) {
  for (;;) {
    const std::int64_t left = MicrosLeft(deadline);
    if (left <= 0) return wire::IoResult::kTimedOut;
    const wire::IoResult outcome = wire::ReadAll(link->fd, reply, sizeof *reply, left);
    if (outcome != wire::IoResult::kDone || reply->sequence == sequence) return outcome;
  }
}

WinDwordPtr TimedOut() {
  SetLastError(0);
  return 0;
}

// The connection goes: part of the request, or of a reply, may lie on it.
WinDwordPtr Cancelled(WindowLink* link) {
  if (link != nullptr) Disconnect(link);
  SetLastError(kWinErrorOperationAborted);
  return 0;
}

WinDwordPtr WindowGone(WindowLink* link) {
  if (link != nullptr) Disconnect(link);
  SetLastError(kWinErrorInvalidWindowHandle);
  return 0;
}

}  // namespace

WinWindow FindWindowExA(WinWindow parent, WinWindow childAfter, const char* className,
                        const char* /*windowName*/) {
  if (parent != 0 || childAfter != 0 || className == nullptr) return 0;
  // In a folder others can write in, whoever answers may be anyone.
  if (!IpcRuntimeDirTrusted()) return 0;
  const std::string path = WindowEndpointPath(className);
  EndpointIdentity identity;
  sockaddr_un address{};
  // The identity is taken once the window answers: by then its file carries its stamp.
  if (!wire::FillAddress(path, &address) || !wire::EndpointAnswers(address) || !IdentityOf(path, &identity)) {
    return 0;
  }
  return HandleFor(path, identity);
}

WinUint RegisterWindowMessageA(const char* name) {
  if (PlatformFaultActive(PlatformFault::kRegisterMessage) || name == nullptr || *name == '\0') {
    SetLastError(kWinErrorInvalidParameter);
    return 0;
  }
  return kFirstRegisteredMessage + StableHash(name) % kRegisteredMessageCount;
}

WinDwordPtr SendMessageTimeoutA(WinWindow window, WinUint message, WinWparam wparam, WinLparam lparam,
                                WinUint /*flags*/, WinUint timeoutMs, WinDwordPtr* result) {
  if (LinkCancelRaised()) return Cancelled(nullptr);
  WindowLink* link = LinkFor(window);
  if (link == nullptr) return WindowGone(nullptr);
  std::lock_guard<std::mutex> guard(link->sendLock);
  const auto deadline = Clock::now() + std::chrono::microseconds(ScaledMicros(timeoutMs));
  const wire::Request request{++link->lastSequence, message, 0, static_cast<std::uint64_t>(wparam),
                              static_cast<std::int64_t>(lparam)};
  const wire::IoResult sent = SendRequest(link, request, deadline);
  if (sent == wire::IoResult::kCancelled) return Cancelled(link);
  if (sent == wire::IoResult::kTimedOut) return TimedOut();
  if (sent != wire::IoResult::kDone) return WindowGone(link);
  wire::Reply reply{};
  const wire::IoResult outcome = AwaitReply(link, request.sequence, deadline, &reply);
  if (outcome == wire::IoResult::kCancelled) return Cancelled(link);
  if (outcome == wire::IoResult::kTimedOut) return TimedOut();
  if (outcome != wire::IoResult::kDone) return WindowGone(link);
  if (result != nullptr) *result = static_cast<WinDwordPtr>(reply.value);
  return 1;
}
