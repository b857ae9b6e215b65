// The main window's handlers of its dialogs: the options.

#include "app/option_dialog.h"
#include "app/weather.h"

void Weather::OnOption(wxCommandEvent&) { Option->ShowModal(); }
