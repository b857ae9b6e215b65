#include "app/layouts/main_frame.h"

#include <wx/font.h>
#include <wx/sizer.h>

namespace {

wxFont TahomaFont(wxFontWeight weight) {
  return wxFont(8, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, weight, false, wxS("Tahoma"));
}

}  // namespace

MainFrame::MainFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                     const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style, wxS("frame")) {
  SetSizeHints(wxDefaultSize, wxDefaultSize);
  BuildMenus();
  StatusBar = CreateStatusBar(4, wxSTB_SIZEGRIP, wxID_ANY, wxS("status_line"));
  BuildControls();
  BindHandlers();
}

MainFrame::~MainFrame() {
  Unbind(wxEVT_MENU, &MainFrame::OnDownloadWX, this, kIdDownloadWx);
  Unbind(wxEVT_MENU, &MainFrame::OnSendWXToFS, this, kIdSendWxToFs);
  Unbind(wxEVT_MENU, &MainFrame::OnOption, this, kIdOption);
  Unbind(wxEVT_MENU, &MainFrame::OnExit, this, kIdExit);
  Unbind(wxEVT_MENU, &MainFrame::OnSetFSWeather, this, SetFsWeatherId);
  Unbind(wxEVT_MENU, &MainFrame::OnAbout, this, kIdAbout);
  Unbind(wxEVT_MENU, &MainFrame::OnHelp, this, HelpId);
  Unbind(wxEVT_MENU, &MainFrame::OnCheckUpdates, this, kIdCheckUpdates);
  IcaoText->Unbind(wxEVT_TEXT_ENTER, &MainFrame::OnEnterICAO, this);
}

void MainFrame::BuildMenus() {
  MenuBar = new wxMenuBar(0);

  MainMenu = new wxMenu();
  MainMenu->Append(kIdDownloadWx, wxS("Download WX"), wxS("Download weather from server"), wxITEM_NORMAL);
  MainMenu->Append(kIdSendWxToFs, wxS("Sent wx to FS"), wxEmptyString, wxITEM_NORMAL);
  MainMenu->Enable(kIdSendWxToFs, false);
  MainMenu->Append(kIdOption, wxS("Option"), wxEmptyString, wxITEM_NORMAL);
  MainMenu->AppendSeparator();
  MainMenu->Append(kIdExit, wxS("E&xit\tAlt+F4"), wxS("Exit the application"), wxITEM_NORMAL);

  WeatherMenu = new wxMenu();
  SetFsWeatherId =
      WeatherMenu->Append(wxID_ANY, wxS("Set FS Weather"), wxEmptyString, wxITEM_NORMAL)->GetId();
  wxMenuItem* findWx = WeatherMenu->Append(wxID_ANY, wxS("Find WX"), wxEmptyString, wxITEM_NORMAL);
  findWx->Enable(false);

  InfoMenu = new wxMenu();
  InfoMenu->Append(kIdAbout, wxS("&About\tF1"), wxS("Show info about this application"), wxITEM_NORMAL);
  HelpId = InfoMenu->Append(wxID_ANY, wxS("&Help\tShift+F1"), wxEmptyString, wxITEM_NORMAL)->GetId();
  InfoMenu->Append(kIdCheckUpdates, wxS("Check for updates"), wxEmptyString, wxITEM_NORMAL);

  MenuBar->Append(MainMenu, wxS("&Nubivane"));
  MenuBar->Append(WeatherMenu, wxS("WX"));
  MenuBar->Append(InfoMenu, wxS("&Info"));
  SetMenuBar(MenuBar);
}

void MainFrame::BuildControls() {
  auto* frameSizer = new wxBoxSizer(wxVERTICAL);
  Panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, wxS("panel"));
  auto* panelSizer = new wxBoxSizer(wxVERTICAL);

  StationList = new wxListBox(Panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_ALWAYS_SB,
                              wxDefaultValidator, wxS("listBox"));
  panelSizer->Add(StationList, 0, wxEXPAND | wxALL, 5);
  UpperLine =
      new wxStaticLine(Panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, wxS("staticLine"));
  panelSizer->Add(UpperLine, 0, wxEXPAND | wxALL, 5);

  auto* inputRow = new wxBoxSizer(wxHORIZONTAL);
  MetarLabel = new wxStaticText(Panel, wxID_ANY, wxS("Metar:"), wxDefaultPosition, wxDefaultSize, 0,
                                wxS("staticText"));
  MetarLabel->Wrap(-1);
  MetarLabel->SetFont(TahomaFont(wxFONTWEIGHT_BOLD));
  inputRow->Add(MetarLabel, 0, wxALL, 8);
  IcaoText = new wxTextCtrl(Panel, kIdIcaoText, wxS("EDDB"), wxDefaultPosition, wxSize(50, -1),
                            wxTE_PROCESS_ENTER, wxDefaultValidator, wxS("text"));
  IcaoText->SetMaxLength(4);
  IcaoText->SetFont(TahomaFont(wxFONTWEIGHT_NORMAL));
  inputRow->Add(IcaoText, 0, wxALL, 5);
  // It keeps the room the row gives it: sized to each text, Windows' label cut the last letter off.
  ProgressLabel = new wxStaticText(Panel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                   wxST_NO_AUTORESIZE, wxS("staticText"));
  ProgressLabel->Wrap(-1);
  inputRow->Add(ProgressLabel, 2, wxEXPAND | wxALL, 8);
  ProgressGauge = new wxGauge(Panel, wxID_ANY, 100, wxDefaultPosition, wxDefaultSize,
                              wxGA_HORIZONTAL | wxGA_SMOOTH, wxDefaultValidator, wxS("gauge"));
  ProgressGauge->SetValue(0);
  ProgressGauge->SetMinSize(wxSize(150, 20));
  inputRow->Add(ProgressGauge, 1, wxEXPAND | wxALL, 5);
  panelSizer->Add(inputRow, 0, wxEXPAND | wxALL, 5);

  auto* lowerPart = new wxBoxSizer(wxVERTICAL);
  LowerLine =
      new wxStaticLine(Panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, wxS("staticLine"));
  lowerPart->Add(LowerLine, 0, wxEXPAND | wxALL, 5);
  auto* tableRow = new wxBoxSizer(wxHORIZONTAL);
  ReportText = new wxTextCtrl(Panel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxTE_RICH2, wxDefaultValidator,
                              wxS("text"));
  ReportText->SetMinSize(wxSize(250, 140));
  tableRow->Add(ReportText, 2, wxEXPAND | wxALL, 5);
  UpperairList = new wxListCtrl(
      Panel, kIdUpperairList, wxDefaultPosition, wxDefaultSize,
      wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_SINGLE_SEL | wxLC_NO_SORT_HEADER | wxLC_AUTOARRANGE,
      wxDefaultValidator, wxS("listCtrl"));
  tableRow->Add(UpperairList, 3, wxEXPAND | wxALL, 5);
  lowerPart->Add(tableRow, 1, wxEXPAND, 0);
  panelSizer->Add(lowerPart, 1, wxEXPAND, 0);

  Panel->SetSizer(panelSizer);
  Panel->Layout();
  panelSizer->Fit(Panel);
  frameSizer->Add(Panel, 1, wxEXPAND | wxALL, 0);
  SetSizer(frameSizer);
  Layout();
}

void MainFrame::BindHandlers() {
  Bind(wxEVT_MENU, &MainFrame::OnDownloadWX, this, kIdDownloadWx);
  Bind(wxEVT_MENU, &MainFrame::OnSendWXToFS, this, kIdSendWxToFs);
  Bind(wxEVT_MENU, &MainFrame::OnOption, this, kIdOption);
  Bind(wxEVT_MENU, &MainFrame::OnExit, this, kIdExit);
  Bind(wxEVT_MENU, &MainFrame::OnSetFSWeather, this, SetFsWeatherId);
  Bind(wxEVT_MENU, &MainFrame::OnAbout, this, kIdAbout);
  Bind(wxEVT_MENU, &MainFrame::OnHelp, this, HelpId);
  Bind(wxEVT_MENU, &MainFrame::OnCheckUpdates, this, kIdCheckUpdates);
  IcaoText->Bind(wxEVT_TEXT_ENTER, &MainFrame::OnEnterICAO, this);
}
