#include "app/layouts/about_dlg.h"

#include <wx/font.h>
#include <wx/statbox.h>

namespace {

wxStaticText* NewText(wxWindow* parent, wxWindowID id, const wxString& text, long style = 0) {
  auto* label = new wxStaticText(parent, id, text, wxDefaultPosition, wxDefaultSize, style);
  label->Wrap(-1);
  return label;
}

wxFont BoldItalicFont() {
  return wxFont(wxNORMAL_FONT->GetPointSize(), wxFONTFAMILY_DEFAULT, wxFONTSTYLE_ITALIC, wxFONTWEIGHT_BOLD,
                false, wxEmptyString);
}

}  // namespace

AboutDlg::AboutDlg(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                   const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style, wxS("dialog")) {
  SetSizeHints(wxDefaultSize, wxDefaultSize);
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, wxEmptyString);
  wxWindow* box = frame->GetStaticBox();

  auto* head = new wxBoxSizer(wxVERTICAL);
  auto* nameRow = new wxBoxSizer(wxHORIZONTAL);
  // The program's picture; the product class puts it in, since it is compiled into the program.
  Icon = new wxStaticBitmap(box, kIdAboutIcon, wxNullBitmap, wxDefaultPosition, wxDefaultSize, 0);
  nameRow->Add(Icon, 0, wxALL, 5);
  auto* nameColumn = new wxBoxSizer(wxVERTICAL);
  NameText = NewText(box, kIdAboutName, wxS("Nubivane lite"));
  NameText->SetFont(
      wxFont(14, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, wxS("Arial")));
  nameColumn->Add(NameText, 0, wxALIGN_CENTER_HORIZONTAL | wxTOP | wxLEFT | wxRIGHT, 5);
  VersionText = NewText(box, kIdAboutVersion, wxS("Version"));
  nameColumn->Add(VersionText, 0, wxALIGN_CENTER_HORIZONTAL | wxBOTTOM | wxLEFT | wxRIGHT, 5);
  nameRow->Add(nameColumn, 1, wxEXPAND, 5);
  head->Add(nameRow, 1, wxEXPAND, 5);
  WebLink = new wxHyperlinkCtrl(box, wxID_ANY, wxS("Nubivane Website"), kWebSiteUrl, wxDefaultPosition,
                                wxDefaultSize, wxHL_DEFAULT_STYLE);
  head->Add(WebLink, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
  ForumLink = new wxHyperlinkCtrl(box, wxID_ANY, wxS("Nubivane Support/Forum"), kForumUrl, wxDefaultPosition,
                                  wxDefaultSize, wxHL_DEFAULT_STYLE);
  head->Add(ForumLink, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
  AuthorText = NewText(box, wxID_ANY, wxS("written by the Nubivane lite team"));
  AuthorText->SetFont(BoldItalicFont());
  head->Add(AuthorText, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
  frame->Add(head, 0, wxALIGN_CENTRE, 5);

  frame->Add(new wxBoxSizer(wxHORIZONTAL), 1, wxALIGN_CENTRE, 5);
  UpperLine = new wxStaticLine(box, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL);
  frame->Add(UpperLine, 0, wxEXPAND | wxALL, 5);
  // Expanded across the box; the text centres itself in it.
  NoticeText =
      NewText(box, kIdAboutNotice, wxS("Copyright \u00A9 2008-2024 the Nubivane lite team"), wxALIGN_CENTRE);
  frame->Add(NoticeText, 0, wxEXPAND | wxBOTTOM | wxLEFT | wxRIGHT, 5);
  LowerLine = new wxStaticLine(box, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL);
  frame->Add(LowerLine, 0, wxEXPAND | wxALL, 5);
  ThanksText = NewText(box, wxID_ANY, wxS("Special thanks to all beta testers."));
  ThanksText->SetFont(BoldItalicFont());
  frame->Add(ThanksText, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
  top->Add(frame, 1, wxEXPAND | wxLEFT | wxRIGHT, 5);

  ButtonSizer = new wxStdDialogButtonSizer();
  OkButton = new wxButton(this, wxID_OK);
  ButtonSizer->AddButton(OkButton);
  ButtonSizer->Realize();
  top->Add(ButtonSizer, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);

  SetSizer(top, true);
  Layout();
}
