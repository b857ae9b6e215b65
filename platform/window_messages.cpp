// Finding a window by class, registered message ids and the blocking send with time-out.

#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/ipc_runtime_dir.h"
#include "platform/test_knobs.h"
#include "platform/win_ipc.h"
#include "platform/window_endpoint.h"
#include "window_wire.h"

namespace {

// Registered ids lie where Windows puts them.
constexpr WinUint kFirstRegisteredMessage = 0xC000;
constexpr WinUint kRegisteredMessageCount = 0x4000;

// A window handle is an index into this process's list of endpoint paths (1-based), so the same
// class in the same runtime directory always gives the same handle.
struct WindowTable {
  std::mutex lock;
  std::vector<std::string> paths;
};

WindowTable& Windows() {
  static WindowTable table;
  return table;
}

WinWindow HandleFor(const std::string& path) {
  WindowTable& table = Windows();
  std::lock_guard<std::mutex> guard(table.lock);
  for (std::size_t i = 0; i < table.paths.size(); ++i) {
    if (table.paths[i] == path) return i + 1;
  }
  table.paths.push_back(path);
  return table.paths.size();
}

bool PathFor(WinWindow window, std::string* path) {
  WindowTable& table = Windows();
  std::lock_guard<std::mutex> guard(table.lock);
  if (window == 0 || window > table.paths.size()) return false;
  *path = table.paths[window - 1];
  return true;
}

WinDwordPtr WindowGone() {
  SetLastError(kWinErrorInvalidWindowHandle);
  return 0;
}

}  // namespace

WinWindow FindWindowExA(WinWindow parent, WinWindow childAfter, const char* className,
                        const char* /*windowName*/) {
  if (parent != 0 || childAfter != 0 || className == nullptr) return 0;
  const std::string path = WindowEndpointPath(className);
  sockaddr_un address{};
  if (!wire::FillAddress(path, &address) || !wire::EndpointAnswers(address)) return 0;
  return HandleFor(path);
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
  std::string path;
  sockaddr_un address{};
  if (!PathFor(window, &path) || !wire::FillAddress(path, &address)) return WindowGone();
  const int fd = wire::Connect(address);
  if (fd < 0) return WindowGone();
  const wire::Request request{message, 0, static_cast<std::uint64_t>(wparam),
                              static_cast<std::int64_t>(lparam)};
  wire::Reply reply{};
  wire::IoResult outcome = wire::IoResult::kBroken;
  if (wire::WriteAll(fd, &request, sizeof request)) {
    outcome = wire::ReadAll(fd, &reply, sizeof reply, ScaledMicros(timeoutMs));
  }
  ::close(fd);
  if (outcome == wire::IoResult::kTimedOut) {
    SetLastError(0);
    return 0;
  }
  if (outcome != wire::IoResult::kDone) return WindowGone();
  if (result != nullptr) *result = static_cast<WinDwordPtr>(reply.value);
  return 1;
}
