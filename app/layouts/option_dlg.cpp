#include "app/layouts/option_dlg.h"

#include <wx/statbox.h>

namespace {

wxSpinCtrl* NewSpin(wxWindow* parent, const wxString& text, int min, int max, int initial) {
  return new wxSpinCtrl(parent, wxID_ANY, text, wxDefaultPosition, wxSize(70, -1), wxSP_ARROW_KEYS, min, max,
                        initial);
}

wxStaticText* NewLabel(wxWindow* parent, const wxString& text) {
  auto* label = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0);
  label->Wrap(-1);
  return label;
}

}  // namespace

OptionDlg::OptionDlg(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                     const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* columns = new wxBoxSizer(wxHORIZONTAL);
  columns->Add(BuildGeneralColumn(), 1, wxEXPAND | wxALL, 5);
  columns->Add(BuildWeatherColumn(), 1, wxEXPAND | wxALL, 5);
  top->Add(columns, 1, wxEXPAND, 0);

  ButtonSizer = new wxStdDialogButtonSizer();
  OkButton = new wxButton(this, wxID_OK);
  ButtonSizer->AddButton(OkButton);
  ApplyButton = new wxButton(this, wxID_APPLY);
  ButtonSizer->AddButton(ApplyButton);
  CancelButton = new wxButton(this, wxID_CANCEL);
  ButtonSizer->AddButton(CancelButton);
  ButtonSizer->Realize();
  top->Add(ButtonSizer, 0, wxEXPAND | wxALL, 5);

  SetSizer(top);
  Layout();
  top->Fit(this);
  Centre(wxBOTH);

  ApplyButton->Bind(wxEVT_BUTTON, &OptionDlg::OnApply, this);
  CancelButton->Bind(wxEVT_BUTTON, &OptionDlg::OnCancel, this);
  OkButton->Bind(wxEVT_BUTTON, &OptionDlg::OnOK, this);
}

OptionDlg::~OptionDlg() {
  ApplyButton->Unbind(wxEVT_BUTTON, &OptionDlg::OnApply, this);
  CancelButton->Unbind(wxEVT_BUTTON, &OptionDlg::OnCancel, this);
  OkButton->Unbind(wxEVT_BUTTON, &OptionDlg::OnOK, this);
}

wxSizer* OptionDlg::BuildGeneralColumn() {
  auto* general = new wxStaticBoxSizer(wxVERTICAL, this, wxS("General"));
  wxWindow* generalBox = general->GetStaticBox();

  auto* feed = new wxStaticBoxSizer(wxHORIZONTAL, generalBox, wxS("Metar-Feed"));
  VatsimRadio = new wxRadioButton(feed->GetStaticBox(), wxID_ANY, wxS("VATSIM"), wxDefaultPosition,
                                  wxDefaultSize, wxRB_GROUP);
  VatsimRadio->SetValue(true);
  feed->Add(VatsimRadio, 0, wxALL, 5);
  IvaoRadio = new wxRadioButton(feed->GetStaticBox(), wxID_ANY, wxS("IVAO"));
  IvaoRadio->Enable(false);
  feed->Add(IvaoRadio, 0, wxALL, 5);
  NoaaRadio = new wxRadioButton(feed->GetStaticBox(), wxID_ANY, wxS("NOAA"));
  feed->Add(NoaaRadio, 0, wxALL, 5);
  general->Add(feed, 0, wxEXPAND | wxALL, 5);

  auto* interval = new wxStaticBoxSizer(wxVERTICAL, generalBox, wxS("Weather update interval in min"));
  UpdateSlider = new wxSlider(interval->GetStaticBox(), wxID_ANY, 15, 10, 100, wxDefaultPosition,
                              wxSize(-1, 40), wxSL_HORIZONTAL | wxSL_LABELS);
  interval->Add(UpdateSlider, 0, wxEXPAND, 0);
  general->Add(interval, 0, wxEXPAND | wxALL, 5);

  auto* downloads = new wxStaticBoxSizer(wxVERTICAL, generalBox, wxS("Downloads"));
  auto* downloadRow = new wxBoxSizer(wxHORIZONTAL);
  UpperairCheck = new wxCheckBox(downloads->GetStaticBox(), wxID_ANY, wxS("Upperair"));
  downloadRow->Add(UpperairCheck, 0, wxALL, 5);
  AddWeatherCheck = new wxCheckBox(downloads->GetStaticBox(), wxID_ANY, wxS("additional weather data"));
  downloadRow->Add(AddWeatherCheck, 0, wxALL, 5);
  downloads->Add(downloadRow, 1, wxEXPAND, 0);
  downloads->Add(new wxBoxSizer(wxVERTICAL), 1, wxEXPAND, 0);
  general->Add(downloads, 0, wxEXPAND | wxALL, 5);

  auto* startup = new wxStaticBoxSizer(wxVERTICAL, generalBox, wxS("Startup"));
  StartupUpdateCheck = new wxCheckBox(startup->GetStaticBox(), wxID_ANY, wxS("Check updates"));
  startup->Add(StartupUpdateCheck, 0, wxALL, 5);
  StartupDownloadCheck = new wxCheckBox(startup->GetStaticBox(), wxID_ANY, wxS("Download WX"));
  startup->Add(StartupDownloadCheck, 0, wxALL, 5);
  general->Add(startup, 0, wxEXPAND | wxALL, 5);
  return general;
}

wxSizer* OptionDlg::BuildWeatherColumn() {
  auto* weather = new wxStaticBoxSizer(wxVERTICAL, this, wxS("Weather"));
  wxWindow* weatherBox = weather->GetStaticBox();

  auto* rangeOuter = new wxBoxSizer(wxHORIZONTAL);
  auto* rangeColumn = new wxBoxSizer(wxVERTICAL);
  auto* rangeBox = new wxStaticBoxSizer(wxVERTICAL, weatherBox, wxS("General"));
  auto* rangeRow = new wxBoxSizer(wxHORIZONTAL);
  RangeLabel = NewLabel(rangeBox->GetStaticBox(), wxS("Set WX from positon in NM:"));
  rangeRow->Add(RangeLabel, 0, wxEXPAND | wxALL, 8);
  rangeRow->Add(0, 0, 1, wxEXPAND, 0);
  RangeSpin = NewSpin(rangeBox->GetStaticBox(), wxS("200"), 200, 3000, 200);
  rangeRow->Add(RangeSpin, 0, wxEXPAND | wxALL, 4);
  rangeBox->Add(rangeRow, 1, wxEXPAND, 0);
  rangeColumn->Add(rangeBox, 1, wxEXPAND, 0);
  rangeOuter->Add(rangeColumn, 2, wxEXPAND, 0);
  weather->Add(rangeOuter, 0, wxEXPAND, 0);

  auto* clouds = new wxStaticBoxSizer(wxVERTICAL, weatherBox, wxS("Clouds"));
  wxWindow* cloudsBox = clouds->GetStaticBox();
  CirrusCheck = new wxCheckBox(cloudsBox, wxID_ANY, wxS("Generate Cirrus"));
  CirrusCheck->SetToolTip(wxS("generated cirrus clouds at 30000ft, even if max. Cloud layers are achieved"));
  clouds->Add(CirrusCheck, 0, wxALL, 5);
  MixedCloudsCheck = new wxCheckBox(cloudsBox, wxID_ANY, wxS("mixed Clouds (2 layers)"));
  MixedCloudsCheck->SetToolTip(wxS("mixed clouds, cloud type if specified"));
  clouds->Add(MixedCloudsCheck, 0, wxALL, 5);
  auto* layersRow = new wxBoxSizer(wxHORIZONTAL);
  CloudLayersLabel = NewLabel(cloudsBox, wxS("max. Cloud layers:"));
  layersRow->Add(CloudLayersLabel, 0, wxEXPAND | wxALL, 5);
  layersRow->Add(0, 0, 1, wxEXPAND, 0);
  CloudLayersSpin = NewSpin(cloudsBox, wxS("5"), 1, 16, 4);
  layersRow->Add(CloudLayersSpin, 0, wxALL, 2);
  clouds->Add(layersRow, 0, wxEXPAND, 0);
  weather->Add(clouds, 0, wxEXPAND, 0);

  auto* wind = new wxStaticBoxSizer(wxVERTICAL, weatherBox, wxS("Wind"));
  wxWindow* windBox = wind->GetStaticBox();
  GustyWindCheck = new wxCheckBox(windBox, wxID_ANY, wxS("slightly gusty surface wind"));
  GustyWindCheck->SetToolTip(wxS("Surface wind changes direction and speed"));
  wind->Add(GustyWindCheck, 0, wxALL, 5);
  TurbulenceCheck = new wxCheckBox(windBox, wxID_ANY, wxS("Turbulence in/under cumulus clouds"));
  TurbulenceCheck->SetToolTip(wxS("Turbulence in/under cumulus clouds"));
  wind->Add(TurbulenceCheck, 0, wxALL, 5);
  WindSmoothingCheck = new wxCheckBox(windBox, wxID_ANY, wxS("FSUIPC Wind Smoothing Control"));
  wind->Add(WindSmoothingCheck, 0, wxALL, 5);
  auto* shiftRow = new wxBoxSizer(wxHORIZONTAL);
  WindShiftLabel = NewLabel(windBox, wxS("max. Wind Shift in \u00B0:"));
  shiftRow->Add(WindShiftLabel, 0, wxEXPAND | wxALL, 8);
  shiftRow->Add(0, 0, 1, wxEXPAND, 0);
  WindShiftSpin = NewSpin(windBox, wxEmptyString, 10, 180, 90);
  shiftRow->Add(WindShiftSpin, 0, wxEXPAND | wxALL, 4);
  wind->Add(shiftRow, 1, wxEXPAND, 0);
  weather->Add(wind, 0, wxEXPAND, 0);
  return weather;
}
