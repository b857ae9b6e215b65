#pragma once

#include <wx/string.h>

#include <chrono>

#include "base/mailbox.h"

class wxEvtHandler;

// What the loader shows on the main window: the progress label, the gauge and status field 1.
struct LoaderProgress {
  wxString Label;
  int GaugeRange = 0;
  int GaugeValue = 0;
  wxString Counts;           // status field 1: "Metar: %i Upperair: %i Synop: %i" as far as it got
  bool GaugeHidden = false;  // the split has ended: the gauge goes away

  LoaderProgress DeepCopy() const {
    LoaderProgress copy = *this;
    copy.Label = Label.Clone();
    copy.Counts = Counts.Clone();
    return copy;
  }
};

// Thousands of per-report updates collapse into the newest; the GUI thread is woken once per
// unread value.
using ProgressMailbox = Mailbox<LoaderProgress, MailboxKeeps::kNewest>;

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
