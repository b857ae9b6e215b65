#include <wx/app.h>

#include <memory>

#include "app/box_answer.h"
#include "app/close_on_signal.h"
#include "app/program_icon.h"
#include "app/weather.h"

// The application object: it opens the main window, which runs everything else.
class MyApp : public wxApp {
 public:
  // The library's own start-up handler is not called: the command line is not parsed.
  bool OnInit() override {
    // A signal during the start-up closes the window once the event loop runs.
    CloseMainWindowOnSignals();
    Answers = BoxAnswer::FromEnvironment();
    Weather* frame = new Weather(nullptr, wxID_ANY);
    frame->SetIcon(ProgramIcon(wxS("amain")));
    frame->Show(true);
    return true;
  }

 private:
  std::unique_ptr<BoxAnswer> Answers;  // null unless NUBIVANE_BOX_ANSWER asks for it
};

wxIMPLEMENT_APP(MyApp);
