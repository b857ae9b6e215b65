#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

class wxWindow;

// What a shown top-level window shows, its menu bar and status bar included, as one picture
// (the window manager's frame is not part of it on X; on Windows the system's border and caption are). Each part is copied from its own window where
// it stands: a copy of the whole screen does not see what a window drew after the first such copy.
// An invalid bitmap when the window has no size or is not on the screen.
wxBitmap PictureOfWindow(wxWindow* window);

// Writes the picture as a PNG file; false when it could not.
bool SavePicture(const wxBitmap& picture, const wxString& path);
