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

// The window system maps and draws a window from its event loop, late on a busy machine.
constexpr int kPaintLimitMs = 5000;

// The GUI library built for Windows here has no PNG support: its pictures are BMP files.
#if wxUSE_LIBPNG
constexpr wxBitmapType kPictureType = wxBITMAP_TYPE_PNG;
const char kPictureExtension[] = ".png";
void AddPictureHandler() {
  if (wxImage::FindHandler(kPictureType) == nullptr) wxImage::AddHandler(new wxPNGHandler);
}
#else
constexpr wxBitmapType kPictureType = wxBITMAP_TYPE_BMP;
const char kPictureExtension[] = ".bmp";
void AddPictureHandler() {}
#endif

}  // namespace

bool PaintNow(wxWindow* window) {
  bool painted = false;
  wxEventLoop loop;
  const auto onPaint = [&painted](wxPaintEvent& event) {
    painted = true;
    event.Skip();
  };
  // Idle comes after the redraws: the picture has then reached the window system.
  const auto onIdle = [&painted, &loop](wxIdleEvent& event) {
    if (painted) loop.ScheduleExit();
    event.Skip();
  };
  wxTimer limit;
  limit.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.ScheduleExit(); });
  window->Bind(wxEVT_PAINT, onPaint);
  wxTheApp->Bind(wxEVT_IDLE, onIdle);
  window->Refresh();
  limit.StartOnce(kPaintLimitMs);
  loop.Run();
  wxTheApp->Unbind(wxEVT_IDLE, onIdle);
  window->Unbind(wxEVT_PAINT, onPaint);
  return painted;
}

namespace {

wxString SavePicture(const wxBitmap& bitmap, const wxString& name) {
  AddPictureHandler();
  const wxString folder = wxS(NUB_SCREENSHOT_DIR);
  if (!wxDirExists(folder) && !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
    return wxString();
  const wxFileName path(folder, name + kPictureExtension);
  if (!bitmap.ConvertToImage().SaveFile(path.GetFullPath(), kPictureType)) return wxString();
  return path.GetFullPath();
}

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

wxString SaveScreenshot(wxWindow* window, const wxString& name) {
  const wxSize size = window->GetClientSize();
  if (size.x <= 0 || size.y <= 0 || !window->IsShownOnScreen() || !PaintNow(window)) return wxString();
  wxBitmap bitmap(size);
  {
    wxClientDC source(window);
    wxMemoryDC target(bitmap);
    if (!target.Blit(0, 0, size.x, size.y, &source, 0, 0)) return wxString();
  }
  return SavePicture(bitmap, name);
}

wxString SaveWindowScreenshot(wxWindow* window, const wxString& name) {
  const wxRect frame = window->GetScreenRect();
  if (frame.width <= 0 || frame.height <= 0 || !window->IsShownOnScreen() || !PaintNow(window))
    return wxString();
  // Each part is copied from its own window where it stands: a copy of the whole screen does not
  // see what a window drew after the first such copy.
  wxBitmap bitmap(frame.GetSize());
  {
    wxMemoryDC target(bitmap);
    target.SetBackground(*wxWHITE_BRUSH);
    target.Clear();
    for (wxWindow* part : DrawnParts(window)) {
      if (!part->IsShown() || part->IsTopLevel()) continue;
      const wxRect area(part->GetScreenPosition(), part->GetClientSize());
      if (area.width <= 0 || area.height <= 0) continue;
      wxClientDC source(part);
      target.Blit(area.x - frame.x, area.y - frame.y, area.width, area.height, &source, 0, 0);
    }
  }
  return SavePicture(bitmap, name);
}

}  // namespace guitest
