#pragma once

#include <wx/string.h>

class wxWindow;

// Writes what a shown top-level window shows as a PNG file at path: every part it draws, a frame's
// menu bar and status bar included (not the window manager's frame around it). False when the
// window has no size or the file could not be written.
bool SaveWindowPicture(wxWindow* window, const wxString& path);
