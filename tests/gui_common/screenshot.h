#pragma once

#include <wx/string.h>

class wxWindow;

namespace guitest {

// Writes what the window shows (its client area) as "<name>.png" into the build folder's
// "screenshots" folder and returns the file's path; empty when it could not. Call it once the
// window has been shown and painted (see PaintNow).
wxString SaveScreenshot(wxWindow* window, const wxString& name);

// The same for the whole of a top-level window: its menu bar and status bar included, which lie
// outside a frame's client area (the window manager's frame is not part of it).
wxString SaveWindowScreenshot(wxWindow* window, const wxString& name);

// Lets the window paint itself now, without running an event loop of its own.
void PaintNow(wxWindow* window);

}  // namespace guitest
