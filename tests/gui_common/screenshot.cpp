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

wxString SaveScreenshot(wxWindow* window, const wxString& name) {
  const wxSize size = window->GetClientSize();
  if (size.x <= 0 || size.y <= 0) return wxString();
  wxBitmap bitmap(size);
  {
    wxClientDC source(window);
    wxMemoryDC target(bitmap);
    if (!target.Blit(0, 0, size.x, size.y, &source, 0, 0)) return wxString();
  }
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  const wxString folder = wxS(NUB_SCREENSHOT_DIR);
  if (!wxDirExists(folder) && !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
    return wxString();
  const wxFileName path(folder, name + wxS(".png"));
  if (!bitmap.ConvertToImage().SaveFile(path.GetFullPath(), wxBITMAP_TYPE_PNG)) return wxString();
  return path.GetFullPath();
}

}  // namespace guitest
