#pragma once

#include <atomic>
#include <cstdint>

// A way to cut the link's waits short from another thread, so a thread that talks to a hung
// simulator can still be stopped at once. A thread binds a cancel to itself; from then on its
// Sleep, its blocking sends and their connects end as soon as the cancel is raised, a cut send
// failing with kWinErrorOperationAborted. Once raised it stays raised.
class LinkCancel {
 public:
  LinkCancel();
  ~LinkCancel();
  LinkCancel(const LinkCancel&) = delete;
  LinkCancel& operator=(const LinkCancel&) = delete;

  // Any thread.
  void Raise();
  bool Raised() const { return raised_.load(std::memory_order_acquire); }
  // Waits up to the time; false as soon as the cancel is raised (at once when it already is).
  bool Pause(std::int64_t micros) const;
  // What a wait can watch beside its own, signalled once raised: the readable end of a pipe for
  // poll() beside a socket, on Windows a manual-reset event. -1 when none could be made; waits
  // then look at Raised() a few times a second instead.
  std::intptr_t WakeHandle() const { return wake_[0]; }

 private:
  // The platform's own wait on the wake handle, up to micros (> 0); it may end early.
  static void WaitForWake(std::intptr_t wake, std::int64_t micros);

  std::atomic<bool> raised_{false};
  std::intptr_t wake_[2] = {-1, -1};  // the pipe's two ends; on Windows the event in the first
};

// Binds the cancel to the calling thread (nullptr unbinds); the cancel must outlive the binding.
void BindLinkCancel(LinkCancel* cancel);
LinkCancel* BoundLinkCancel();
// The calling thread's cancel is raised.
bool LinkCancelRaised();

// RAII binding for the length of a scope.
class ScopedLinkCancel {
 public:
  explicit ScopedLinkCancel(LinkCancel* cancel) : previous_(BoundLinkCancel()) { BindLinkCancel(cancel); }
  ~ScopedLinkCancel() { BindLinkCancel(previous_); }
  ScopedLinkCancel(const ScopedLinkCancel&) = delete;
  ScopedLinkCancel& operator=(const ScopedLinkCancel&) = delete;

 private:
  LinkCancel* previous_;
};
