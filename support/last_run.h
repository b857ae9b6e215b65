#pragma once

#include <wx/string.h>

#include <string>

// The start-up's look at what the previous run left in "nubivane.log".

// True when the previous run needs a report: it did not end (no "Close"), or the program itself
// logged an error. The per-station lines a normal conversion run writes for reports that do not
// decode or convert ("Main: Error: Decode Metar -> ..." and its kind) do not count, nor does an
// empty log (a first start).
bool PreviousRunFailed(const wxString& previousLog);

// The mail body of the report: the previous log with every ":" made "-", as the bytes it was
// read from (each character is one ISO 8859-1 byte).
std::string ErrorReportBody(const wxString& previousLog);
