#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win_ipc.h"

// The receiving side of a "window": a Unix-domain socket named after the window class in the
// runtime directory. One thread takes the messages one after the other, as a window procedure
// would, and hands each to the handler.
class WindowEndpoint {
 public:
  // Returns false to leave the sender waiting (no reply ever comes for that message).
  using Handler =
      std::function<bool(WinUint message, WinWparam wparam, WinLparam lparam, WinDwordPtr* reply)>;

  WindowEndpoint() = default;
  ~WindowEndpoint();
  WindowEndpoint(const WindowEndpoint&) = delete;
  WindowEndpoint& operator=(const WindowEndpoint&) = delete;

  // False when the class is taken by a live endpoint or the socket cannot be made.
  bool Open(const std::string& className, Handler handler);
  // Removes the endpoint; senders waiting on it see the window gone.
  void Close();
  bool IsOpen() const { return listenFd_ >= 0; }

 private:
  void Serve();
  // False when the sender has gone.
  bool TakeOne(int fd);

  Handler handler_;
  std::string path_;
  int listenFd_ = -1;
  int wakeFds_[2] = {-1, -1};
  std::thread thread_;
  std::vector<int> senders_;  // connections of the processes that sent to this window
};

// Socket path of a window class in the current runtime directory.
std::string WindowEndpointPath(const std::string& className);
