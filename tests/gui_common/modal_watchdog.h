#pragma once

#include <wx/modalhook.h>
#include <wx/timer.h>

#include <chrono>

class wxEventLoopBase;

namespace guitest {

// Keeps a window test from hanging in a modal loop until its time-out, and fails the test
// instead. Two ways a loop gets stuck:
// - a modal dialog that no recorder answers (other than one a test runs for real, RealModal): registered
// before the tests' recorders, the
//   watchdog is asked last and answers it with wxID_CANCEL at once (a native message box
//   could not be ended once it runs);
// - an event loop (a dialog's own or one a test runs) still running after the limit: the
//   watchdog ends the modal dialogs with wxID_CANCEL and asks the loop to exit.
// GUI thread only.
class ModalWatchdog : public wxModalDialogHook, private wxTimer {
 public:
  explicit ModalWatchdog(std::chrono::milliseconds limit = std::chrono::seconds(20));
  ~ModalWatchdog() override;
  ModalWatchdog(const ModalWatchdog&) = delete;
  ModalWatchdog& operator=(const ModalWatchdog&) = delete;

 protected:
  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog*) override {}

 private:
  using Clock = std::chrono::steady_clock;

  void Notify() override;
  void EndStuckLoop(wxEventLoopBase* loop);

  std::chrono::milliseconds limit_;
  wxEventLoopBase* watched_ = nullptr;  // the loop running at the last tick, compared only
  Clock::time_point since_;             // when that loop was first seen running
  Clock::time_point lastTick_;
};

}  // namespace guitest
