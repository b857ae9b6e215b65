#include "gui_common/screenshot.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <algorithm>
#include <vector>

namespace guitest {
namespace {

constexpr int kPaintMs = 200;

}  // namespace

void PaintNow(wxWindow* window) {
  window->Refresh();
  window->Update();
  // The window system maps and draws a shown window from its event loop: run one briefly.
  wxEventLoop loop;
  wxTimer stop;
  stop.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.ScheduleExit(); });
  stop.StartOnce(kPaintMs);
  loop.Run();
}

namespace {

wxString SavePng(const wxBitmap& bitmap, const wxString& name) {
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  const wxString folder = wxS(NUB_SCREENSHOT_DIR);
  if (!wxDirExists(folder) && !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
    return wxString();
  const wxFileName path(folder, name + wxS(".png"));
  if (!bitmap.ConvertToImage().SaveFile(path.GetFullPath(), wxBITMAP_TYPE_PNG)) return wxString();
  return path.GetFullPath();
}

}  // namespace

wxString SaveScreenshot(wxWindow* window, const wxString& name) {
  const wxSize size = window->GetClientSize();
  if (size.x <= 0 || size.y <= 0) return wxString();
  wxBitmap bitmap(size);
  {
    wxClientDC source(window);
    wxMemoryDC target(bitmap);
    if (!target.Blit(0, 0, size.x, size.y, &source, 0, 0)) return wxString();
  }
  return SavePng(bitmap, name);
}

wxString SaveWindowScreenshot(wxWindow* window, const wxString& name) {
  const wxRect frame = window->GetScreenRect();
  if (frame.width <= 0 || frame.height <= 0) return wxString();
  // Each part is copied from its own window where it stands on the screen: a screen-wide copy
  // would not see what the window drew since the first one.
  std::vector<wxWindow*> parts(window->GetChildren().begin(), window->GetChildren().end());
  if (auto* top = dynamic_cast<wxFrame*>(window)) {
    for (wxWindow* bar :
         {static_cast<wxWindow*>(top->GetMenuBar()), static_cast<wxWindow*>(top->GetStatusBar())}) {
      if (bar != nullptr && std::find(parts.begin(), parts.end(), bar) == parts.end()) parts.push_back(bar);
    }
  }
  wxBitmap bitmap(frame.GetSize());
  {
    wxMemoryDC target(bitmap);
    target.SetBackground(*wxWHITE_BRUSH);
    target.Clear();
    for (wxWindow* part : parts) {
      if (!part->IsShown() || part->IsTopLevel()) continue;
      const wxRect area(part->GetScreenPosition(), part->GetClientSize());
      if (area.width <= 0 || area.height <= 0) continue;
      wxClientDC source(part);
      target.Blit(area.x - frame.x, area.y - frame.y, area.width, area.height, &source, 0, 0);
    }
  }
  return SavePng(bitmap, name);
}

}  // namespace guitest
