#include "gui_common/modal_watchdog.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/toplevel.h>

#include "gui_common/real_modal.h"

namespace guitest {
namespace {

constexpr int kTickMs = 50;
// Ticks come only while a loop runs; a gap longer than this means the loop seen before ended
// and a new one (perhaps at the same address) began.
constexpr auto kNewLoopGap = std::chrono::milliseconds(4 * kTickMs);

wxString DialogText(wxDialog* dialog) {
  wxString text = dialog->GetTitle();
  if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
    text = box->GetCaption() + wxS(": ") + box->GetMessage();
  }
  return text;
}

}  // namespace

ModalWatchdog::ModalWatchdog(std::chrono::milliseconds limit) : limit_(limit) {
  Register();
  Start(kTickMs);
}

ModalWatchdog::~ModalWatchdog() {
  Stop();
  Unregister();
}

int ModalWatchdog::Enter(wxDialog* dialog) {
  if (RealModal::IsLetThrough(dialog)) return wxID_NONE;
  ADD_FAILURE() << "a modal dialog that nothing answered, closed by the watchdog: "
                << DialogText(dialog).utf8_str().data();
  return wxID_CANCEL;
}

void ModalWatchdog::Notify() {
  const Clock::time_point now = Clock::now();
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  if (loop != watched_ || now - lastTick_ > kNewLoopGap) {
    watched_ = loop;
    since_ = now;
  }
  lastTick_ = now;
  if (loop != nullptr && now - since_ > limit_) {
    EndStuckLoop(loop);
    watched_ = nullptr;
  }
}

void ModalWatchdog::EndStuckLoop(wxEventLoopBase* loop) {
  ADD_FAILURE() << "an event loop still ran after " << limit_.count() << " ms: ended by the watchdog";
  bool endedDialog = false;
  for (wxWindow* window : wxTopLevelWindows) {
    auto* dialog = dynamic_cast<wxDialog*>(window);
    if (dialog != nullptr && dialog->IsModal()) {
      dialog->EndModal(wxID_CANCEL);
      endedDialog = true;
    }
  }
  if (!endedDialog) loop->ScheduleExit();
}

}  // namespace guitest
