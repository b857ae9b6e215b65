#include "app/about_dialog.h"

#include <wx/hyperlink.h>

#include "app/dialog_fit.h"
#include "app/program_icon.h"
#include "platform/shell_open.h"
#include "support/file_version.h"

namespace {

const wxSize kAboutSize(286, 270);

}  // namespace

wxString AboutVersionLine(const wxString& dottedVersion) {
  return wxS("Version: ") + dottedVersion + wxS(" BETA");
}

NubivaneAbout::NubivaneAbout(wxWindow* parent)
    : AboutDlg(parent, wxID_ANY, wxS("About Nubivane lite"), wxDefaultPosition, kAboutSize,
               wxDEFAULT_DIALOG_STYLE) {
  Icon->SetIcon(ProgramIcon(wxS("amain")));
  ClFileVersion version;
  version.Load(wxString());
  VersionText->SetLabel(AboutVersionLine(version.GetFileVersion(true)));
  // The first link would have the keyboard, and Enter would follow it: Enter means OK here.
  OkButton->SetDefault();
  OkButton->SetFocus();
  KeepFitted(this, kAboutSize, [] {});
  // The library's own launch asks the desktop's services for the browser on this thread and
  // waits for their answer, for ever if they give none; the program neither waits for them nor
  // hears of a failure.
  Bind(wxEVT_HYPERLINK, [](wxHyperlinkEvent& event) { platform::OpenUrl(event.GetURL()); });
}
