#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <functional>
#include <initializer_list>

class wxControl;
class wxDialog;
class wxSizer;
class wxTopLevelWindow;
class wxWindow;

// The layouts' pixel sizes were chosen for another platform's fonts; on GTK they would clip.

// Widens a control, where needed, so that text fits in it whole.
void WidenToShow(wxControl* control, const wxString& text);

// Grows a control's minimum, where needed, to its best size.
void AtLeastBest(wxWindow* control);

// A field for up to digits characters of numbers (a sign counts as one).
void WidenForDigits(std::initializer_list<wxControl*> controls, int digits);

// GTK's static boxes leave no room beside their contents: a control or an inner box laid out
// against the box's side stands on or across the frame the box draws, and an inner box's edge
// falls on the outer one's. Every static box of the layout gets a margin around it, and its
// contents a margin from its sides and bottom. Call before the window is fitted.
void ClearStaticBoxFrames(wxSizer* top);

// Fits the controls (fitControls widens them), then gives the dialog the size it asks for, or
// its best size where that is larger, and keeps it from being made smaller. Text and controls
// measure larger once the dialog stands on the screen than before: each showing fits again.
void KeepFitted(wxDialog* dialog, const wxSize& wanted, std::function<void()> fitControls);

// Call after the last change of the window's size before its first showing. Under a window
// manager, GTK's build of the library holds a window's first showing back until the manager has
// told the sizes of its frame, and lays the window out at 2 x 1 pixels meanwhile: GTK warns of
// controls given less than their minimum, and the squashed sizes can stay. A window whose client
// size was set last is shown at once, at its size; the manager's frame is then added around it.
void ShowAtOnce(wxTopLevelWindow* window);

// Ends the dialog's modal run with code, or hides it when it is shown without one. The library's
// close of a dialog (close box, Escape, Close()) turns into a click on Cancel, so a Cancel
// handler that consumes the click must end the run itself.
void EndDialogRun(wxDialog* dialog, int code);
