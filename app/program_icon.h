#pragma once

#include <wx/icon.h>
#include <wx/string.h>

// The icons compiled into the program, found by their resource name: "amain" is the main window's
// icon and the About dialog's picture. An unknown name gives an invalid icon.
wxIcon ProgramIcon(const wxString& name);
