#include "platform/window_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "runtime_dir.h"
#include "window_wire.h"

namespace {

constexpr int kListenBacklog = 64;
constexpr std::int64_t kRequestReadMicros = 1000000;  // a sender that stops mid-request is dropped
constexpr std::int64_t kReplyWriteMicros = 1000000;   // and one that takes no replies

// Senders tell this window from an earlier one of its class by the socket file's identity. The
// inode of a removed file is soon used again, and file times are often only as fine as the
// kernel's tick, so the file gets a modification time of full precision before anyone can connect.
void StampAsNew(const std::string& path) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const timespec times[2] = {now, now};
  ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace

std::string WindowEndpointPath(const std::string& className) {
  return IpcRuntimeDir() + "/window." + className;
}

// The endpoint's socket, the pipe that wakes its thread for closing, and the connections of the
// processes that sent to it.
struct WindowEndpoint::Window {
  void Serve();
  // False when the sender has gone.
  bool TakeOne(int fd);

  Handler handler;
  std::string path;
  int listenFd = -1;
  int wakeFds[2] = {-1, -1};
  std::thread thread;
  std::vector<int> senders;
};

WindowEndpoint::WindowEndpoint() = default;

WindowEndpoint::~WindowEndpoint() { Close(); }

bool WindowEndpoint::Open(const std::string& className, Handler handler) {
  if (IsOpen() || !EnsureIpcRuntimeDir()) return false;
  const std::string path = WindowEndpointPath(className);
  sockaddr_un address{};
  if (!wire::FillAddress(path, &address)) return false;
  if (wire::EndpointAnswers(address)) return false;  // another live window of this class
  ::unlink(path.c_str());                            // a stale one from a process that died
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  auto window = std::make_unique<Window>();
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (bound) StampAsNew(path);  // without the stamp the file's own time has to do
  if (!bound || ::listen(fd, kListenBacklog) != 0 || ::pipe2(window->wakeFds, O_CLOEXEC) != 0) {
    ::close(fd);
    return false;
  }
  window->handler = std::move(handler);
  window->path = path;
  window->listenFd = fd;
  window->thread = std::thread(&Window::Serve, window.get());
  window_ = std::move(window);
  return true;
}

void WindowEndpoint::Close() {
  if (!IsOpen()) return;
  Window& window = *window_;
  ::unlink(window.path.c_str());
  const char stop = 1;
  (void)!::write(window.wakeFds[1], &stop, 1);
  window.thread.join();
  ::close(window.listenFd);
  ::close(window.wakeFds[0]);
  ::close(window.wakeFds[1]);
  for (const int fd : window.senders) ::close(fd);  // their senders see the window gone
  window_.reset();
}

// One thread takes the messages of every sender one at a time, as a window procedure would.
void WindowEndpoint::Window::Serve() {
  std::vector<pollfd> watched;
  for (;;) {
    watched.assign({{wakeFds[0], POLLIN, 0}, {listenFd, POLLIN, 0}});
    for (const int fd : senders) watched.push_back({fd, POLLIN, 0});
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[0].revents != 0) return;
    for (std::size_t i = 2; i < watched.size(); ++i) {
      if (watched[i].revents != 0 && !TakeOne(watched[i].fd)) {
        ::close(watched[i].fd);
        senders.erase(std::find(senders.begin(), senders.end(), watched[i].fd));
      }
    }
    if ((watched[1].revents & POLLIN) != 0) {
      const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) senders.push_back(fd);
    }
  }
}

bool WindowEndpoint::Window::TakeOne(int fd) {
  wire::Request request{};
  if (wire::ReadAll(fd, &request, sizeof request, kRequestReadMicros) != wire::IoResult::kDone) return false;
  WinDwordPtr reply = 0;
  if (!handler(request.message, request.wparam, request.lparam, &reply)) return true;  // left waiting
  const wire::Reply answer{request.sequence, reply};
  return wire::WriteAll(fd, &answer, sizeof answer, kReplyWriteMicros) == wire::IoResult::kDone;
}
