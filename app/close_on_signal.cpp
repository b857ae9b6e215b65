#include "app/close_on_signal.h"

#include <wx/app.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <csignal>

namespace {

[[maybe_unused]] void CloseTopWindow(int) {
  wxWindow* top = wxTheApp->GetTopWindow();
  if (top != nullptr && !top->IsBeingDeleted()) top->Close(true);
  // The window goes when the loop is next idle; without a nudge that waits for the next tick.
  wxWakeUpIdle();
}

}  // namespace

// The library takes signals only where there are any (not on Windows, where a windowed program
// has no terminal to be stopped from).
void CloseMainWindowOnSignals() {
#ifdef __UNIX__
  wxTheApp->SetSignalHandler(SIGTERM, CloseTopWindow);
  wxTheApp->SetSignalHandler(SIGINT, CloseTopWindow);
  // The terminal that started the program has gone: the same close, not the default's abrupt end.
  wxTheApp->SetSignalHandler(SIGHUP, CloseTopWindow);
#endif
}

void ServeCaughtSignals() {
#ifdef __UNIX__
  if (wxTheApp != nullptr) wxTheApp->CheckSignal();
#endif
}
