// A real top-level window of the class, as the interface module makes one: a hidden window on a
// thread of its own, whose window procedure hands every message sent to it to the handler. The
// handler's reply is the procedure's result, which is what the sender's SendMessageTimeout
// receives.

#include "platform/window_endpoint.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Set on the window the procedure serves; WM_NCCREATE carries it in.
constexpr int kEndpointSlot = GWLP_USERDATA;
// The window thread's own message to end its loop.
constexpr UINT kCloseMessage = WM_APP + 1;

}  // namespace

struct WindowEndpoint::Window {
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Run();
  // A message the handler leaves unanswered: the procedure holds it until the next message is
  // sent to the window (its sender has given up by then) or the window closes, since returning
  // would reply.
  void HoldUnanswered() const;

  Handler handler;
  std::string className;
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HANDLE closing = nullptr;  // set by Close: ends a held message
  std::thread thread;
  std::mutex lock;
  std::condition_variable started;
  bool startDone = false;
  bool startOk = false;
};

LRESULT CALLBACK WindowEndpoint::Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, kEndpointSlot, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return ::DefWindowProcA(window, message, wparam, lparam);
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(window, kEndpointSlot));
  // Only messages sent by a thread (ours or another process's) reach the handler; the system's
  // own traffic of a window goes its usual way.
  if (self == nullptr || message < WM_USER || message == kCloseMessage) {
    if (message == WM_CLOSE) return 0;  // only Close ends the window
    return ::DefWindowProcA(window, message, wparam, lparam);
  }
  WinDwordPtr reply = 0;
  if (!self->handler(message, wparam, lparam, &reply)) {
    self->HoldUnanswered();
    return 0;
  }
  return static_cast<LRESULT>(reply);
}

void WindowEndpoint::Window::HoldUnanswered() const {
  ::MsgWaitForMultipleObjects(1, &closing, FALSE, INFINITE, QS_SENDMESSAGE);
}

void WindowEndpoint::Window::Run() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Window::Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = className.c_str();
  const bool registered = ::RegisterClassExA(&windowClass) != 0;
  if (registered) {
    window = ::CreateWindowExA(0, className.c_str(), className.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
  }
  {
    std::lock_guard<std::mutex> guard(lock);
    startDone = true;
    startOk = window != nullptr;
  }
  started.notify_all();
  if (window != nullptr) {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd == window && message.message == kCloseMessage) break;
      ::DispatchMessageA(&message);
    }
    ::DestroyWindow(window);
    window = nullptr;
  }
  if (registered) ::UnregisterClassA(className.c_str(), instance);
}

WindowEndpoint::WindowEndpoint() = default;

WindowEndpoint::~WindowEndpoint() { Close(); }

bool WindowEndpoint::Open(const std::string& className, Handler handler) {
  if (IsOpen()) return false;
  // A live window of the class, in this process or another, keeps it.
  if (::FindWindowExA(nullptr, nullptr, className.c_str(), nullptr) != nullptr) return false;
  auto window = std::make_unique<Window>();
  window->handler = std::move(handler);
  window->className = className;
  window->instance = ::GetModuleHandleA(nullptr);
  window->closing = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (window->closing == nullptr) return false;
  window->thread = std::thread(&Window::Run, window.get());
  bool ok = false;
  {
    std::unique_lock<std::mutex> guard(window->lock);
    window->started.wait(guard, [&] { return window->startDone; });
    ok = window->startOk;
  }
  if (!ok) {
    window->thread.join();
    ::CloseHandle(window->closing);
    return false;
  }
  window_ = std::move(window);
  return true;
}

void WindowEndpoint::Close() {
  if (!IsOpen()) return;
  Window& window = *window_;
  ::SetEvent(window.closing);
  ::PostMessageA(window.window, kCloseMessage, 0, 0);
  window.thread.join();
  ::CloseHandle(window.closing);
  window_.reset();
}
