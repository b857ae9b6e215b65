#include "app/frame_placement.h"

#include <wx/display.h>
#include <wx/toplevel.h>

#include <algorithm>

namespace {

// So much of the window's top edge (its caption) must lie on a screen for the user to grab it.
constexpr int kGrabWidth = 100;
constexpr int kGrabHeight = 20;
// A window put back on the screen keeps this distance from the screen's corner.
constexpr int kFreshOffset = 10;

bool CanBeGrabbed(const wxRect& frame, const wxRect& display) {
  const wxRect caption(frame.x, frame.y, frame.width, kGrabHeight);
  const wxRect onScreen = caption.Intersect(display);
  // The caption itself, not just some of the window: a window whose top lies above the screen
  // cannot be moved back.
  return onScreen.width >= std::min(kGrabWidth, frame.width) && onScreen.height >= kGrabHeight &&
         frame.y >= display.y;
}

}  // namespace

wxRect PlaceFrame(const wxRect& stored, const std::vector<wxRect>& displays, const wxSize& minimum) {
  wxRect frame = stored;
  frame.width = std::max(frame.width, minimum.x);
  frame.height = std::max(frame.height, minimum.y);
  if (displays.empty()) return frame;

  for (const wxRect& display : displays) {
    if (CanBeGrabbed(frame, display)) return frame;
  }
  const wxRect& primary = displays.front();
  frame.width = std::max(std::min(frame.width, primary.width - 2 * kFreshOffset), minimum.x);
  frame.height = std::max(std::min(frame.height, primary.height - 2 * kFreshOffset), minimum.y);
  frame.x = primary.x + kFreshOffset;
  frame.y = primary.y + kFreshOffset;
  return frame;
}

std::vector<wxRect> DisplayWorkAreas() {
  std::vector<wxRect> areas;
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
    const wxDisplay display(i);
    if (display.IsPrimary()) {
      areas.insert(areas.begin(), display.GetClientArea());
    } else {
      areas.push_back(display.GetClientArea());
    }
  }
  return areas;
}

void FrameGeometryKeeper::Watch(wxTopLevelWindow* frame, const wxRect& placed) {
  frame_ = frame;
  last_ = placed;
  outer_ = frame->GetSize();
  client_ = frame->GetClientSize();
  const auto take = [this](wxEvent& event) {
    event.Skip();
    if (!closing_) Take();
  };
  frame->Bind(wxEVT_MOVE, take);
  frame->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    if (closing_) return;
    KeepOuterSize();
    Take();
  });
  frame->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    event.Skip();
    Take();
    closing_ = true;
  });
}

void FrameGeometryKeeper::KeepOuterSize() {
#ifdef __WXGTK__
  const wxSize outer = frame_->GetSize();
  const wxSize client = frame_->GetClientSize();
  if (client != client_) {
    outer_ = outer;
    client_ = client;
  } else if (outer != outer_ && frame_->IsShown() && !frame_->IsIconized() && !frame_->IsMaximized()) {
    // The same client area in another frame of the window manager's. After the pending events:
    // until then GTK keeps the client area at the size it was shown at.
    frame_->CallAfter([this] { frame_->SetSize(outer_); });
  }
#endif
}

void FrameGeometryKeeper::Take() {
  if (frame_ == nullptr || !frame_->IsShown() || frame_->IsIconized()) return;
  last_ = Current();
}

wxRect FrameGeometryKeeper::Last() const {
  if (frame_ == nullptr || closing_ || !frame_->IsShown() || frame_->IsIconized()) return last_;
  return Current();
}

wxRect FrameGeometryKeeper::Current() const {
  wxRect rect = frame_->GetRect();
#ifdef __WXGTK__
  // The same client area: a growth by the window manager's frame that is not undone yet, or never
  // will be because the frame goes first (a close right after the showing).
  if (frame_->GetClientSize() == client_) rect.SetSize(outer_);
#endif
  return rect;
}
