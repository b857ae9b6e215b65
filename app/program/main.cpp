#include <wx/app.h>

#include "app/program_signals.h"
#include "app/program_icon.h"
#include "app/weather.h"

// The application object: it opens the main window, which runs everything else.
class MyApp : public wxApp {
 public:
  // The library's own start-up handler is not called: the command line is not parsed.
  bool OnInit() override {
    // A signal during the start-up closes the window once the event loop runs.
    InstallProgramSignals();
    Weather* frame = new Weather(nullptr, wxID_ANY);
    frame->SetIcon(ProgramIcon(wxS("amain")));
    frame->Show(true);
    return true;
  }
};

wxIMPLEMENT_APP(MyApp);
