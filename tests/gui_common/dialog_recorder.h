#pragma once

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include <vector>

#include "gui_common/real_modal.h"

namespace guitest {

struct SeenBox {
  wxString message;
  wxString caption;
  long style;
  wxWindow* parent;
  bool onGuiThread;
};

// Answers every modal dialog at once instead of a person, and records the message boxes. A
// dialog a test runs for real (RealModal) is let through.
class DialogRecorder : public wxModalDialogHook {
 public:
  explicit DialogRecorder(int answer = wxID_OK) : answer_(answer) { Register(); }
  ~DialogRecorder() override { Unregister(); }

  std::vector<SeenBox> boxes;
  int others = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    if (RealModal::IsLetThrough(dialog)) return wxID_NONE;
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
      boxes.push_back({box->GetMessage(), box->GetCaption(), box->GetMessageDialogStyle(), box->GetParent(),
                       wxIsMainThread()});
    } else {
      ++others;
    }
    return answer_;
  }
  void Exit(wxDialog*) override {}

 private:
  int answer_;
};

}  // namespace guitest
