#pragma once

#include <wx/string.h>

class wxWindow;

namespace guitest {

// Writes what a shown window shows (its client area) as "<name>.png" (".bmp" in the Windows
// build, whose GUI library has no PNG support) into the build folder's
// "screenshots" folder and returns the file's path; empty when it could not, or when the window
// did not paint within a few seconds. Runs the event loop until the window has painted.
wxString SaveScreenshot(wxWindow* window, const wxString& name);

// The same for the whole of a top-level window: its menu bar and status bar included, which lie
// outside a frame's client area (the window manager's frame is not part of it).
wxString SaveWindowScreenshot(wxWindow* window, const wxString& name);

// Runs the event loop until the window has painted itself and the loop has gone idle after that
// (the window system then has the picture), at most a few seconds. False when it did not paint.
bool PaintNow(wxWindow* window);

}  // namespace guitest
