#pragma once

#include "app/layouts/about_dlg.h"

// The About dialog's product class: title, size and the version line; its links go to the
// browser without the dialog waiting for it. Shown modally and deleted by the main window's
// About item; nothing is stored.
class NubivaneAbout : public AboutDlg {
 public:
  explicit NubivaneAbout(wxWindow* parent);
};

// The version line of the dotted version; a program without a version shows "Version:  BETA".
wxString AboutVersionLine(const wxString& dottedVersion);
