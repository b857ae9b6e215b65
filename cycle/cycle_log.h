#pragma once

#include <wx/string.h>

#include <functional>

// Where the update cycle writes its log lines: the main window passes its log ("to the file"),
// tests pass a recorder. GUI thread only, as the log is.
using LogLine = std::function<void(const wxString& line)>;
