#pragma once

#include <wx/gdicmn.h>

#include <vector>

class wxTopLevelWindow;

// Where the main window goes at start: the geometry of the previous run's end, unless it would
// leave the window off every screen or too small to use.
//   stored:   position and size from the ini file
//   displays: the work areas of the screens, the primary one first
//   minimum:  the smallest size at which every control shows whole
wxRect PlaceFrame(const wxRect& stored, const std::vector<wxRect>& displays, const wxSize& minimum);

// The work areas of the screens now attached, the primary one first.
std::vector<wxRect> DisplayWorkAreas();

// Where a frame stands on the screen, for storing at its end however it was closed. Once the
// window manager's close has hidden a frame, GTK may report it at 0,0: the place is taken while
// the frame is shown, on every move and resize and at the close request.
//
// The size stored is the outer one, the window manager's frame included. GTK learns that frame's
// size only after the window is shown and then adds it around the same client area: the keeper
// sets the outer size back, so that a stored size does not grow by the frame on every run, and
// reports the size the frame was shown at until then.
class FrameGeometryKeeper {
 public:
  // From now on; placed is where the frame was put, its size already set.
  void Watch(wxTopLevelWindow* frame, const wxRect& placed);
  // The frame's rectangle now if it still stands on the screen, else the last one it stood at.
  wxRect Last() const;

 private:
  void Take();
  void KeepOuterSize();
  // The frame's rectangle, with the outer size it is kept at.
  wxRect Current() const;

  wxTopLevelWindow* frame_ = nullptr;
  wxRect last_;
  bool closing_ = false;
  // The outer and client sizes after the last change of the client area.
  wxSize outer_;
  wxSize client_;
};
