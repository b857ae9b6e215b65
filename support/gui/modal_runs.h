#pragma once

#include <wx/string.h>

class wxDialog;
class wxWindow;

// The modal loops the program runs, its dialogs and its message boxes, innermost last. Whatever
// ends the program ends them first, each as its Cancel (or No, or OK where a box offers nothing
// else) would, and deletes windows only once none of them runs: a window deleted under a running
// loop takes the dialog, or the code the loop returns to, with it. GUI thread only.
namespace modal_runs {

// Shows the dialog modally and returns what ShowModal returned; wxID_CANCEL when the run was
// ended from outside, and at once, without showing it, while new runs are refused.
int ShowDialog(wxDialog& dialog);

// wxMessageBox through a box the program holds, so that it can be ended from outside: wxYES,
// wxNO, wxOK or wxCANCEL. A box ended from outside, or refused, gives CancelAnswer(style).
int ShowBox(const wxString& text, const wxString& caption, long style, wxWindow* parent);

// What a box of this style answers when it is ended without a person: Cancel where it has one,
// else No, else OK (wxMessageBox's codes).
int CancelAnswer(long style);

// Whether a run of this program is on the stack.
bool Running();

// Ends every running loop, innermost first, each one once. A native message box that the
// platform gives no way to end (Windows) goes on until it is answered.
void EndAll();

// While refused, no new dialog or box is shown: each gives its Cancel answer at once.
void Refuse(bool refuse);
bool Refused();

#ifdef __WXGTK__
// GTK's answers to a dialog, as its buttons give them.
constexpr int kGtkResponseOk = -5;
constexpr int kGtkResponseCancel = -6;
constexpr int kGtkResponseNo = -9;
// What a click on a button of the library's GTK message box does: GTK's answer to the dialog. The
// symbol is looked up in the process, which has it with the library (no GTK headers are needed to
// build). False when GTK's call is not found or the box has no window.
bool AnswerNativeBox(wxDialog* box, int gtkResponse);
#endif

}  // namespace modal_runs
