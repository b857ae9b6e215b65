#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/win_types.h"

// The receiving side of a window of a class, as the simulator's interface module has one: a real
// top-level window on Windows, elsewhere an endpoint of the stand-ins in the runtime directory.
// One thread takes the messages one after the other, as a window procedure does, and hands each
// to the handler.
class WindowEndpoint {
 public:
  // Returns false to leave the sender waiting (no reply ever comes for that message).
  using Handler =
      std::function<bool(WinUint message, WinWparam wparam, WinLparam lparam, WinDwordPtr* reply)>;

  WindowEndpoint();
  ~WindowEndpoint();
  WindowEndpoint(const WindowEndpoint&) = delete;
  WindowEndpoint& operator=(const WindowEndpoint&) = delete;

  // False when the class is taken by a live window or the window cannot be made.
  bool Open(const std::string& className, Handler handler);
  // Removes the window; senders waiting on it see it gone.
  void Close();
  bool IsOpen() const { return window_ != nullptr; }

 private:
  struct Window;  // the platform's side of the open window
  std::unique_ptr<Window> window_;
};
