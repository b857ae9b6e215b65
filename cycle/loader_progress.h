#pragma once

#include <wx/string.h>

#include <chrono>
#include <mutex>
#include <utility>

class wxEvtHandler;

// What the loader shows on the main window: the progress label, the gauge and status field 1.
struct LoaderProgress {
  wxString Label;
  int GaugeRange = 0;
  int GaugeValue = 0;
  wxString Counts;           // status field 1: "Metar: %i Upperair: %i Synop: %i" as far as it got
  bool GaugeHidden = false;  // the split has ended: the gauge goes away
};

// Keeps only the newest progress; the GUI thread is woken once per unread value.
class ProgressMailbox {
 public:
  // Loader: true when the GUI thread has read everything before, so an event should be posted.
  bool Put(LoaderProgress progress) {
    std::lock_guard<std::mutex> guard(lock_);
    latest_ = std::move(progress);
    return !std::exchange(unread_, true);
  }
  // GUI thread.
  LoaderProgress Take() {
    std::lock_guard<std::mutex> guard(lock_);
    unread_ = false;
    return CopyOfLatest();
  }
  // GUI thread: the newest progress if it has not been taken yet. Its event may still be on its
  // way: once taken here, the event finds nothing and changes nothing.
  bool TakeUnread(LoaderProgress& progress) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!std::exchange(unread_, false)) return false;
    progress = CopyOfLatest();
    return true;
  }

 private:
  LoaderProgress CopyOfLatest() const {
    LoaderProgress taken = latest_;
    taken.Label = taken.Label.Clone();
    taken.Counts = taken.Counts.Clone();
    return taken;
  }

  std::mutex lock_;
  LoaderProgress latest_;
  bool unread_ = false;
};

// The loader's side of the mailbox: thousands of per-report updates become a few a second, and
// the update that ends a step always goes out.
class ProgressPublisher {
 public:
  ProgressPublisher(ProgressMailbox& mailbox, wxEvtHandler* sink, std::chrono::milliseconds interval)
      : mailbox_(mailbox), sink_(sink), interval_(interval) {}

  LoaderProgress& Current() { return current_; }
  // True when the interval has passed since the last progress that went out.
  bool Due() const { return !sentOnce_ || std::chrono::steady_clock::now() - last_ >= interval_; }
  // Offers the current progress: at once when forced, else only when it is due.
  void Offer(bool force);

 private:
  ProgressMailbox& mailbox_;
  wxEvtHandler* sink_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point last_{};
  bool sentOnce_ = false;
  LoaderProgress current_;
};
