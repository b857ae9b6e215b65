#include "platform/stop_request.h"

#include <pthread.h>
#include <signal.h>

#include <ctime>

namespace platform {
namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

// Blocked in every thread, so that only the wait takes them.
void CatchStopRequests() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

bool WaitForStopRequest(long seconds) {
  const sigset_t signals = StopSignals();
  if (seconds >= 0) {
    const timespec limit{static_cast<time_t>(seconds), 0};
    return sigtimedwait(&signals, nullptr, &limit) > 0;
  }
  int signal = 0;
  return sigwait(&signals, &signal) == 0;
}

bool RequestStop(std::uint32_t processId) { return ::kill(static_cast<pid_t>(processId), SIGTERM) == 0; }

}  // namespace platform
