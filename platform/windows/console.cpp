#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {
namespace {

// A pipe cannot be waited on: it is looked at this often.
constexpr auto kPipeLookMs = std::chrono::milliseconds(10);

long ReadSome(HANDLE input, char* buffer, std::size_t capacity) {
  DWORD n = 0;
  const DWORD wanted = capacity < 0x40000000 ? static_cast<DWORD>(capacity) : 0x40000000;
  if (::ReadFile(input, buffer, wanted, &n, nullptr)) return static_cast<long>(n);
  const DWORD error = ::GetLastError();
  return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? 0 : -2;
}

}  // namespace

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

long ReadStandardInput(char* buffer, std::size_t capacity, int timeoutMs) {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;  // none: at its end
  switch (::GetFileType(input)) {
    case FILE_TYPE_PIPE: {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
      for (;;) {
        DWORD waiting = 0;
        if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &waiting, nullptr)) {
          return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -2;
        }
        if (waiting > 0) return ReadSome(input, buffer, capacity < waiting ? capacity : waiting);
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(kPipeLookMs);
      }
    }
    case FILE_TYPE_CHAR:
      if (::WaitForSingleObject(input, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
      return ReadSome(input, buffer, capacity);
    default:
      return ReadSome(input, buffer, capacity);
  }
}

}  // namespace platform
