#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace platform {
namespace {

long ReadSome(HANDLE input, char* buffer, std::size_t capacity) {
  DWORD n = 0;
  const DWORD wanted = capacity < 0x40000000 ? static_cast<DWORD>(capacity) : 0x40000000;
  if (::ReadFile(input, buffer, wanted, &n, nullptr)) return static_cast<long>(n);
  const DWORD error = ::GetLastError();
  return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? 0 : -2;
}

// Not every kind of input can be waited on or looked into (an inherited pipe of another system,
// as under wine, cannot), but each can be read: a thread of its own reads it, and a caller waits
// for what it has read. The thread stays blocked in its read when the program ends; the system
// ends it with the process.
class InputReader {
 public:
  static InputReader& Instance() {
    static InputReader* const reader = new InputReader;  // never destroyed: its thread may still read
    return *reader;
  }

  long Take(char* buffer, std::size_t capacity, int timeoutMs) {
    std::unique_lock<std::mutex> lock(lock_);
    if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !pending_.empty() || end_ != 1; })) {
      return -1;
    }
    if (pending_.empty()) return end_;
    const std::size_t n = std::min(capacity, pending_.size());
    pending_.copy(buffer, n);
    pending_.erase(0, n);
    return static_cast<long>(n);
  }

 private:
  InputReader() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
      end_ = 0;  // none: at its end
      return;
    }
    std::thread([this, input] { Read(input); }).detach();
  }

  void Read(HANDLE input) {
    char piece[4096];
    for (;;) {
      const long n = ReadSome(input, piece, sizeof piece);
      std::lock_guard<std::mutex> guard(lock_);
      if (n > 0) {
        pending_.append(piece, static_cast<std::size_t>(n));
      } else {
        end_ = n;
      }
      arrived_.notify_all();
      if (n <= 0) return;
    }
  }

  std::mutex lock_;
  std::condition_variable arrived_;
  std::string pending_;
  long end_ = 1;  // 1 while the input goes on, then 0 (its end) or -2 (it failed)
};

}  // namespace

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

long ReadStandardInput(char* buffer, std::size_t capacity, int timeoutMs) {
  return InputReader::Instance().Take(buffer, capacity, timeoutMs);
}

}  // namespace platform
