#pragma once

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>

// Ids of the About dialog's controls.
enum AboutDlgId : int {
  kIdAboutIcon = 1008,
  kIdAboutName = 1009,
  kIdAboutVersion = 1010,
  kIdAboutNotice = 1011,
};

// The About dialog's generated layout: picture, name, version, links, author, rights notice and
// thanks over an OK button. It binds nothing: OK and the close box end the dialog through the
// library's own handling. No logic here.
class AboutDlg : public wxDialog {
 public:
  AboutDlg(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos, const wxSize& size,
           long style);
  ~AboutDlg() override = default;

  // Children of the dialog; the library destroys them with it. ButtonSizer belongs to the
  // dialog's sizer.
  wxStaticBitmap* Icon;
  wxStaticText* NameText;
  wxStaticText* VersionText;
  wxHyperlinkCtrl* WebLink;
  wxHyperlinkCtrl* ForumLink;
  wxStaticText* AuthorText;
  wxStaticLine* UpperLine;
  wxStaticText* NoticeText;
  wxStaticLine* LowerLine;
  wxStaticText* ThanksText;
  wxStdDialogButtonSizer* ButtonSizer;
  wxButton* OkButton;
};

// Where the two links lead.
inline const wxString kWebSiteUrl = wxS("https://nubivane.example/");
inline const wxString kForumUrl = wxS("https://nubivane.example/forum/");
