#include "support/gui/modal_runs.h"

#include <wx/dialog.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <vector>

#ifdef __WXGTK__
#include <dlfcn.h>
#endif

namespace {

struct Run {
  wxDialog* dialog;
  bool box;    // a native message box, not a dialog of the library's own loop
  long style;  // a box's style
  bool ended = false;
};

std::vector<Run*>& Stack() {
  static std::vector<Run*> runs;
  return runs;
}

bool& RefusedFlag() {
  static bool refused = false;
  return refused;
}

// On the stack while the loop runs.
class OnStack {
 public:
  explicit OnStack(Run& run) : run_(run) { Stack().push_back(&run_); }
  ~OnStack() {
    auto& runs = Stack();
    runs.erase(std::remove(runs.begin(), runs.end(), &run_), runs.end());
  }
  OnStack(const OnStack&) = delete;
  OnStack& operator=(const OnStack&) = delete;

 private:
  Run& run_;
};

#ifdef __WXGTK__
// The library's GTK message box waits in gtk_dialog_run and offers no call that ends it; GTK's own
// answer to the dialog does.
void EndNativeBox(wxDialog* box, long style) {
  using namespace modal_runs;
  const int response = (style & wxCANCEL)   ? kGtkResponseCancel
                       : (style & wxYES_NO) ? kGtkResponseNo
                                            : kGtkResponseOk;
  AnswerNativeBox(box, response);
}
#else
// Windows' message box runs in the system's own call: it ends when it is answered.
void EndNativeBox(wxDialog*, long) {}
#endif

int BoxAnswerOf(int id) {
  switch (id) {
    case wxID_OK:
      return wxOK;
    case wxID_YES:
      return wxYES;
    case wxID_NO:
      return wxNO;
    case wxID_HELP:
      return wxHELP;
    default:
      return wxCANCEL;
  }
}

}  // namespace

namespace modal_runs {

int ShowDialog(wxDialog& dialog) {
  if (Refused()) return wxID_CANCEL;
  Run run{&dialog, false, 0};
  int code = wxID_CANCEL;
  {
    OnStack shown(run);
    code = dialog.ShowModal();
  }
  return run.ended ? wxID_CANCEL : code;
}

int ShowBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
  if (Refused()) return CancelAnswer(style);
  // The icon wxMessageBox would add.
  if (!(style & wxICON_NONE) && !(style & wxICON_MASK))
    style |= (style & wxYES) ? wxICON_QUESTION : wxICON_INFORMATION;
  wxMessageDialog box(parent, text, caption, style);
  Run run{&box, true, style};
  int id = wxID_CANCEL;
  {
    OnStack shown(run);
    id = box.ShowModal();
  }
  return run.ended ? CancelAnswer(style) : BoxAnswerOf(id);
}

int CancelAnswer(long style) {
  if (style & wxCANCEL) return wxCANCEL;
  if (style & wxYES_NO) return wxNO;
  return wxOK;
}

bool Running() { return !Stack().empty(); }

void EndAll() {
  // A copy: ending a run may let it leave the stack.
  const std::vector<Run*> runs = Stack();
  for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
    Run& run = **it;
    if (run.ended) continue;
    run.ended = true;
    if (run.box) {
      EndNativeBox(run.dialog, run.style);
    } else if (run.dialog->IsModal()) {
      run.dialog->EndModal(wxID_CANCEL);
    }
  }
}

void Refuse(bool refuse) { RefusedFlag() = refuse; }

bool Refused() { return RefusedFlag(); }

#ifdef __WXGTK__
bool AnswerNativeBox(wxDialog* box, int gtkResponse) {
  using Respond = void (*)(void* dialog, int response);
  static const auto respond = reinterpret_cast<Respond>(::dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
  void* handle = box->GetHandle();
  if (respond == nullptr || handle == nullptr) return false;
  respond(handle, gtkResponse);
  return true;
}
#endif

}  // namespace modal_runs
