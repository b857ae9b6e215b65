#include "app/close_on_signal.h"

#include <wx/app.h>
#include <wx/window.h>

#include <csignal>

namespace {

void CloseTopWindow(int) {
  wxWindow* top = wxTheApp->GetTopWindow();
  if (top != nullptr && !top->IsBeingDeleted()) top->Close(true);
}

}  // namespace

void CloseMainWindowOnSignals() {
  wxTheApp->SetSignalHandler(SIGTERM, CloseTopWindow);
  wxTheApp->SetSignalHandler(SIGINT, CloseTopWindow);
}
