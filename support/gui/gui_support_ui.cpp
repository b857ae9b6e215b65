#include "support/gui/gui_support_ui.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/thread.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdint>

#include "support/gui/modal_runs.h"

static_assert(progress_style::kAppModal == wxPD_APP_MODAL && progress_style::kAutoHide == wxPD_AUTO_HIDE &&
                  progress_style::kElapsedTime == wxPD_ELAPSED_TIME &&
                  progress_style::kEstimatedTime == wxPD_ESTIMATED_TIME &&
                  progress_style::kSmooth == wxPD_SMOOTH &&
                  progress_style::kRemainingTime == wxPD_REMAINING_TIME,
              "progress flags differ from the GUI library's");

namespace {

class DialogProgress : public ProgressView {
 public:
  DialogProgress(const wxString& title, const wxString& message, int maximum, wxWindow* parent, int style)
      : maximum_(std::max(maximum, 1)),
        dialog_(new wxGenericProgressDialog(title, message, maximum_, parent, style)) {}
  // Deleted at once, like the library's own stack-held progress dialogs, so that the windows it
  // disabled are enabled again before the download returns.
  ~DialogProgress() override = default;

  // The dialog refuses a value beyond its maximum.
  void Update(int value, const wxString& message) override {
    dialog_->Update(std::clamp(value, 0, maximum_), message);
  }
  void Pulse(const wxString& message) override { dialog_->Pulse(message); }

 private:
  int maximum_;
  // The library's own window on every platform: on Windows wxProgressDialog would be the
  // system's task dialog, running on a thread of its own.
  std::unique_ptr<wxGenericProgressDialog> dialog_;
};

wxWindow* StandingWindowIn(const wxWindowList& windows, std::uintptr_t address) {
  for (wxWindow* window : windows) {
    if (reinterpret_cast<std::uintptr_t>(window) == address) return window;
    if (wxWindow* child = StandingWindowIn(window->GetChildren(), address)) return child;
  }
  return nullptr;
}

// The window at that address among those standing now, or none. GUI thread only.
wxWindow* StandingWindowAt(std::uintptr_t address) {
  if (address == 0) return nullptr;
  return StandingWindowIn(wxTopLevelWindows, address);
}

}  // namespace

void GuiSupportUi::ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
  // A worker thread never touches a window: its box is shown by the GUI thread, and the worker
  // goes on without waiting for it. The texts are copied whole for the other thread. The parent
  // may be gone by the time the box is shown, so only its address travels, and the GUI thread
  // takes it as the parent only while such a window still stands.
  if (!wxIsMainThread()) {
    if (wxTheApp != nullptr) {
      const auto parentAddress = reinterpret_cast<std::uintptr_t>(parent);
      wxTheApp->CallAfter([text = text.Clone(), caption = caption.Clone(), style, parentAddress] {
        modal_runs::ShowBox(text, caption, style, StandingWindowAt(parentAddress));
      });
    }
    return;
  }
  modal_runs::ShowBox(text, caption, style, parent);
}

std::unique_ptr<ProgressView> GuiSupportUi::ShowProgress(const wxString& title, const wxString& message,
                                                         int maximum, wxWindow* parent, int style) {
  return std::make_unique<DialogProgress>(title, message, maximum, parent, style);
}
