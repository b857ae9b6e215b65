#pragma once

#include <wx/gdicmn.h>

#include <vector>

// Where the main window goes at start: the geometry of the previous run's end, unless it would
// leave the window off every screen or too small to use.
//   stored:   position and size from the ini file
//   displays: the work areas of the screens, the primary one first
//   minimum:  the smallest size at which every control shows whole
wxRect PlaceFrame(const wxRect& stored, const std::vector<wxRect>& displays, const wxSize& minimum);

// The work areas of the screens now attached, the primary one first.
std::vector<wxRect> DisplayWorkAreas();
