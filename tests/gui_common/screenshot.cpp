#include "gui_common/screenshot.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/window.h>

#include "support/gui/window_picture.h"

namespace guitest {
namespace {

// The window system maps and draws a window from its event loop, late on a busy machine: a
// window's first showing under a window manager took over 5 s with every core busy.
constexpr int kPaintLimitMs = 15000;

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

wxString SavePng(const wxBitmap& bitmap, const wxString& name) {
  const wxString folder = wxS(NUB_SCREENSHOT_DIR);
  if (!wxDirExists(folder) && !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
    return wxString();
#if wxUSE_LIBPNG
  const wxFileName path(folder, name + wxS(".png"));
  return SavePicture(bitmap, path.GetFullPath()) ? path.GetFullPath() : wxString();
#else
  // The Windows build's GUI library writes no PNG; every build has the BMP writer.
  const wxFileName path(folder, name + wxS(".bmp"));
  return bitmap.IsOk() && bitmap.ConvertToImage().SaveFile(path.GetFullPath(), wxBITMAP_TYPE_BMP)
             ? path.GetFullPath()
             : wxString();
#endif
}

}  // namespace

wxString SaveScreenshot(wxWindow* window, const wxString& name) {
  // Measured once it has painted: under a window manager a frame shown a moment ago may not
  // have its size yet.
  if (!window->IsShownOnScreen() || !PaintNow(window)) return wxString();
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
  if (!window->IsShownOnScreen() || !PaintNow(window)) return wxString();
  const wxBitmap picture = PictureOfWindow(window);
  return picture.IsOk() ? SavePng(picture, name) : wxString();
}

}  // namespace guitest
