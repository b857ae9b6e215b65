#include "app/program_signals.h"

#include <wx/app.h>
#include <wx/utils.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/layouts/main_frame.h"
#include "support/gui/window_picture.h"

namespace {

void CloseTopWindow(int) {
  wxWindow* top = wxTheApp->GetTopWindow();
  if (top != nullptr && !top->IsBeingDeleted()) top->Close(true);
  // The window goes when the loop is next idle; without a nudge that waits for the next tick.
  wxWakeUpIdle();
}

void PrintLine(const wxString& name, const wxString& text) {
  std::printf("%s: %s\n", static_cast<const char*>(name.utf8_str()),
              static_cast<const char*>(text.utf8_str()));
}

void ShowSnapshot(int) {
  auto* frame = dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow());
  const char* path = std::getenv("NUBIVANE_SNAPSHOT");
  if (frame == nullptr || path == nullptr) return;
  PrintLine(wxS("label"), frame->ProgressLabel->GetLabel());
  for (int field = 0; field < frame->StatusBar->GetFieldsCount(); ++field) {
    PrintLine(wxString::Format(wxS("status %i"), field), frame->StatusBar->GetStatusText(field));
  }
  frame->Update();
  const wxString file = wxString::FromUTF8(path);
  PrintLine(SaveWindowPicture(frame, file) ? wxS("screenshot") : wxS("no screenshot"), file);
  std::fflush(stdout);
}

}  // namespace

void InstallProgramSignals() {
  wxTheApp->SetSignalHandler(SIGTERM, CloseTopWindow);
  wxTheApp->SetSignalHandler(SIGINT, CloseTopWindow);
  if (std::getenv("NUBIVANE_SNAPSHOT") != nullptr) wxTheApp->SetSignalHandler(SIGUSR1, ShowSnapshot);
}
