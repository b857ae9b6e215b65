#include "platform/link_cancel.h"

#include <algorithm>
#include <chrono>
#include <thread>

// Which cancel a thread is bound to, and the pause over the wake handle; the handle itself and
// the wait on it are made by the platform's own file.

namespace {

// Without a wake handle a wait looks at the flag this often.
constexpr std::int64_t kFallbackSliceMicros = 10000;

using Clock = std::chrono::steady_clock;

thread_local LinkCancel* tBound = nullptr;

}  // namespace

bool LinkCancel::Pause(std::int64_t micros) const {
  const auto deadline = Clock::now() + std::chrono::microseconds(std::max<std::int64_t>(micros, 0));
  for (;;) {
    if (Raised()) return false;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    if (wake_[0] == -1) {
      std::this_thread::sleep_for(std::chrono::microseconds(std::min(left, kFallbackSliceMicros)));
      continue;
    }
    WaitForWake(wake_[0], left);
  }
}

void BindLinkCancel(LinkCancel* cancel) { tBound = cancel; }

LinkCancel* BoundLinkCancel() { return tBound; }

bool LinkCancelRaised() { return tBound != nullptr && tBound->Raised(); }
