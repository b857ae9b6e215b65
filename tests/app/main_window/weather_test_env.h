#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/log.h>
#include <wx/toplevel.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "app/weather.h"
#include "common/test_paths.h"
#include "gui_common/dialog_recorder.h"
#include "gui_common/window_manager.h"

namespace apptest {

// Lets posted events through, shows what the library's log gathered, and deletes the windows
// that asked for it.
inline void Settle() {
  wxTheApp->ProcessPendingEvents();
  wxLog::FlushActive();
  wxTheApp->ProcessIdle();
}

inline bool Standing(wxWindow* window) {
  for (wxWindow* w : wxTopLevelWindows) {
    if (w == window && !w->IsBeingDeleted() && !wxTheApp->IsScheduledForDestruction(w)) return true;
  }
  return false;
}

// Dispatches events until the condition holds; false after the bound.
inline bool SettleUntil(const std::function<bool()>& done,
                        std::chrono::seconds bound = std::chrono::seconds(60)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    Settle();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// Moves and sizes the frame, and waits until the window manager has put its frame there: a window
// manager acts on a move a moment later, and the frame stands where it says.
inline ::testing::AssertionResult PutFrame(wxTopLevelWindow* window, const wxRect& rect) {
  window->SetSize(rect);
  const bool put = SettleUntil(
      [&] {
        wxTheApp->Yield(true);
        return guitest::WindowManagerFrame(window) == rect;
      },
      std::chrono::seconds(10));
  if (put) return ::testing::AssertionSuccess();
  const wxRect stood = guitest::WindowManagerFrame(window);
  const wxRect gtk = window->GetRect();
  return ::testing::AssertionFailure() << "after 10 s the frame stood at " << stood.x << "," << stood.y << " "
                                       << stood.width << "x" << stood.height << " (the library says " << gtk.x
                                       << "," << gtk.y << " " << gtk.width << "x" << gtk.height << ")";
}

// The main window started in a fresh working folder, with the files a test puts there. Its
// simulator link meets nobody unless the test starts a stand-in in the same folder.
class WeatherTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::SetEnvironment("NUBIVANE_IPC_DIR", dir.Path()); }
  void TearDown() override {
    Close();
    testsupport::UnsetEnvironment("NUBIVANE_IPC_DIR");
  }

  void PutCatalogues(bool withAirports = true) {
    using testsupport::CataloguePath;
    testsupport::WriteBytes("station.dat", testsupport::ReadBytes(CataloguePath("station.dat")));
    if (withAirports)
      testsupport::WriteBytes("airport.dat", testsupport::ReadBytes(CataloguePath("airport.dat")));
  }

  // As the application opens it; settle: then let the window finish its first showing.
  Weather* Open(bool settle = true) {
    window = new Weather(nullptr, wxID_ANY);
    window->Show();
    if (settle) Settle();
    return window;
  }

  // The way the close box ends the window: destroyed when the library is next idle.
  void Close() {
    if (window != nullptr && Standing(window)) window->Destroy();
    window = nullptr;
    Settle();
  }

  std::string Log() const { return testsupport::ReadBytes("nubivane.log"); }

  testsupport::ScopedWorkDir dir;
  guitest::DialogRecorder dialogs{wxID_NO};
  Weather* window = nullptr;
};

}  // namespace apptest
