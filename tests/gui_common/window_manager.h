#pragma once

#include <wx/gdicmn.h>

class wxTopLevelWindow;

namespace guitest {

// Where the window manager has the window, its own frame included, as the X server tells it;
// not what the library believes. Elsewhere (Windows) the window's rectangle.
wxRect WindowManagerFrame(wxTopLevelWindow* window);

}  // namespace guitest
