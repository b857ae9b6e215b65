#include "support/gui/window_picture.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/window.h>

#include <algorithm>
#include <utility>
#include <vector>

#ifndef __WXMSW__
namespace {

// The parts of a top-level window that draw themselves: its children, and a frame's menu bar and
// status bar.
std::vector<wxWindow*> DrawnParts(wxWindow* window) {
  std::vector<wxWindow*> parts(window->GetChildren().begin(), window->GetChildren().end());
  if (auto* frame = dynamic_cast<wxFrame*>(window)) {
    for (wxWindow* bar :
         {static_cast<wxWindow*>(frame->GetMenuBar()), static_cast<wxWindow*>(frame->GetStatusBar())}) {
      if (bar != nullptr && std::find(parts.begin(), parts.end(), bar) == parts.end()) parts.push_back(bar);
    }
  }
  return parts;
}

}  // namespace
#endif

wxBitmap PictureOfWindow(wxWindow* window) {
  wxRect frame = window->GetScreenRect();
  if (frame.width <= 0 || frame.height <= 0 || !window->IsShownOnScreen()) return wxBitmap();
#ifdef __WXMSW__
  wxBitmap picture(frame.GetSize());
  wxMemoryDC target(picture);
  // Here the menu bar is no window of its own but part of the frame's border, which the system
  // draws; the window's own surface holds it and every child.
  wxWindowDC source(window);
  target.Blit(0, 0, frame.width, frame.height, &source, 0, 0);
#else
  // The window's rectangle holds the window manager's frame, which no part draws: the picture
  // covers the parts.
  std::vector<std::pair<wxWindow*, wxRect> > areas;
  wxRect drawn;
  for (wxWindow* part : DrawnParts(window)) {
    if (!part->IsShown() || part->IsTopLevel()) continue;
    const wxRect area(part->GetScreenPosition(), part->GetClientSize());
    if (area.width <= 0 || area.height <= 0) continue;
    areas.emplace_back(part, area);
    drawn = drawn.IsEmpty() ? area : drawn.Union(area);
  }
  if (!drawn.IsEmpty()) frame = drawn.Intersect(frame);
  if (frame.width <= 0 || frame.height <= 0) return wxBitmap();
  wxBitmap picture(frame.GetSize());
  wxMemoryDC target(picture);
  target.SetBackground(*wxWHITE_BRUSH);
  target.Clear();
  for (const auto& [part, area] : areas) {
    wxClientDC source(part);
    target.Blit(area.x - frame.x, area.y - frame.y, area.width, area.height, &source, 0, 0);
  }
#endif
  target.SelectObject(wxNullBitmap);
  return picture;
}

bool SavePicture(const wxBitmap& picture, const wxString& path) {
  if (!picture.IsOk()) return false;
#if wxUSE_LIBPNG
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  return picture.ConvertToImage().SaveFile(path, wxBITMAP_TYPE_PNG);
#else
  // The Windows build's GUI library comes without PNG support.
  (void)path;
  return false;
#endif
}
