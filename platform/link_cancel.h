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
  // Readable once raised: for poll() beside the socket a wait is on. -1 when none could be made;
  // waits then look at Raised() a few times a second instead.
  int WakeFd() const { return wakeFds_[0]; }

 private:
  std::atomic<bool> raised_{false};
  int wakeFds_[2] = {-1, -1};
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
