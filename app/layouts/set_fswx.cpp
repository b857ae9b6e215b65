#include "app/layouts/set_fswx.h"

#include <wx/statbox.h>

namespace {

constexpr int kNoLimit = 0;

wxStaticText* NewLabel(wxWindow* parent, const wxString& text) {
  auto* label = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0);
  label->Wrap(-1);
  return label;
}

wxTextCtrl* NewText(wxWindow* parent, const wxString& value, int width, int limit) {
  auto* text = new wxTextCtrl(parent, wxID_ANY, value, wxDefaultPosition, wxSize(width, -1), 0);
  if (limit != kNoLimit) text->SetMaxLength(limit);
  return text;
}

wxSpinCtrl* NewSpin(wxWindow* parent, int width, int min, int max, int initial) {
  return new wxSpinCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(width, -1),
                        wxSP_ARROW_KEYS, min, max, initial);
}

wxChoice* NewChoice(wxWindow* parent, const wxArrayString& items) {
  auto* choice = new wxChoice(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, items, 0);
  choice->SetSelection(0);
  return choice;
}

wxArrayString Items(std::initializer_list<const wchar_t*> texts) {
  wxArrayString items;
  for (const wchar_t* text : texts) items.Add(text);
  return items;
}

}  // namespace

SetFSWX::SetFSWX(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                 const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style) {
  SetSizeHints(wxDefaultSize, wxDefaultSize);
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* body = new wxBoxSizer(wxHORIZONTAL);
  body->Add(BuildLeftColumn(), 1, wxEXPAND, 5);
  body->Add(BuildCloudColumn(), 1, wxEXPAND, 5);
  top->Add(body, 1, wxEXPAND, 5);
  top->Add(BuildButtonArea(), 0, wxEXPAND, 5);

  SetSizer(top);
  Layout();
  Centre(wxBOTH);

  ClearWXButton->Bind(wxEVT_BUTTON, &SetFSWX::OnClearWX, this);
  ApplyButton->Bind(wxEVT_BUTTON, &SetFSWX::OnApply, this);
  CancelButton->Bind(wxEVT_BUTTON, &SetFSWX::OnCancel, this);
  OkButton->Bind(wxEVT_BUTTON, &SetFSWX::OnOK, this);
}

SetFSWX::~SetFSWX() {
  ClearWXButton->Unbind(wxEVT_BUTTON, &SetFSWX::OnClearWX, this);
  ApplyButton->Unbind(wxEVT_BUTTON, &SetFSWX::OnApply, this);
  CancelButton->Unbind(wxEVT_BUTTON, &SetFSWX::OnCancel, this);
  OkButton->Unbind(wxEVT_BUTTON, &SetFSWX::OnOK, this);
}

wxSizer* SetFSWX::BuildLeftColumn() {
  auto* column = new wxBoxSizer(wxVERTICAL);

  auto* station = new wxBoxSizer(wxHORIZONTAL);
  StationLabel = NewLabel(this, wxS("Station:"));
  station->Add(StationLabel, 0, wxALL, 8);
  StationText = NewText(this, wxS("GLOB"), 40, 4);
  station->Add(StationText, 0, wxALL, 4);
  IcaoHintLabel = NewLabel(this, wxS("ICAO or GLOB"));
  station->Add(IcaoHintLabel, 0, wxALL, 8);
  column->Add(station, 0, wxEXPAND, 5);

  auto* wind = new wxBoxSizer(wxHORIZONTAL);
  WindDirLabel = NewLabel(this, wxS("Wind dir:"));
  wind->Add(WindDirLabel, 0, wxALL, 8);
  WindDirText = NewText(this, wxS("090"), 30, 3);
  wind->Add(WindDirText, 0, wxALL | wxEXPAND, 4);
  SpeedLabel = NewLabel(this, wxS("Speed in kt:"));
  wind->Add(SpeedLabel, 0, wxALL | wxEXPAND, 8);
  SpeedText = NewText(this, wxS("10"), 30, 3);
  wind->Add(SpeedText, 0, wxALL | wxEXPAND, 4);
  GustLabel = NewLabel(this, wxS("Gust:"));
  wind->Add(GustLabel, 0, wxALL, 8);
  GustText = NewText(this, wxS("0"), 30, 2);
  wind->Add(GustText, 0, wxALL, 5);
  column->Add(wind, 0, wxEXPAND, 5);

  auto* windMore = new wxBoxSizer(wxHORIZONTAL);
  TurbLabel = NewLabel(this, wxS("Turb:"));
  windMore->Add(TurbLabel, 0, wxALL, 8);
  TurbSpin = NewSpin(this, 40, 0, 4, 0);
  windMore->Add(TurbSpin, 0, wxALL, 4);
  ShearLabel = NewLabel(this, wxS("Shear:"));
  windMore->Add(ShearLabel, 0, wxALL, 8);
  ShearSpin = NewSpin(this, 40, 0, 3, 0);
  windMore->Add(ShearSpin, 0, wxALL, 5);
  VarLabel = NewLabel(this, wxS("Var:"));
  windMore->Add(VarLabel, 0, wxALL, 8);
  VarSpin = NewSpin(this, 50, 0, 360, 10);
  windMore->Add(VarSpin, 0, wxALL, 5);
  column->Add(windMore, 0, wxEXPAND, 5);

  auto* visibility = new wxBoxSizer(wxHORIZONTAL);
  VisibilityLabel = NewLabel(this, wxS("Visibility in m:"));
  visibility->Add(VisibilityLabel, 0, wxALL, 8);
  VisibilityText = NewText(this, wxS("20000"), 60, 5);
  visibility->Add(VisibilityText, 0, wxALL, 4);
  column->Add(visibility, 0, wxEXPAND, 5);

  BuildTemperatureRow(column, 0, wxS("12"), wxS("8"), wxS("10000"), &TempLabel1, &TempText1, &DewLabel1,
                      &DewText1, &HeightLabel1, &HeightText1);
  BuildTemperatureRow(column, 0, wxEmptyString, wxEmptyString, wxEmptyString, &TempLabel2, &TempText2,
                      &DewLabel2, &DewText2, &HeightLabel2, &HeightText2);
  BuildTemperatureRow(column, 0, wxEmptyString, wxEmptyString, wxEmptyString, &TempLabel3, &TempText3,
                      &DewLabel3, &DewText3, &HeightLabel3, &HeightText3);
  BuildTemperatureRow(column, 1, wxEmptyString, wxEmptyString, wxEmptyString, &TempLabel4, &TempText4,
                      &DewLabel4, &DewText4, &HeightLabel4, &HeightText4);
  return column;
}

void SetFSWX::BuildTemperatureRow(wxSizer* column, int proportion, const wxString& temp, const wxString& dew,
                                  const wxString& height, wxStaticText** tempLabel, wxTextCtrl** tempText,
                                  wxStaticText** dewLabel, wxTextCtrl** dewText, wxStaticText** heightLabel,
                                  wxTextCtrl** heightText) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  *tempLabel = NewLabel(this, wxS("Temp:"));
  row->Add(*tempLabel, 0, wxALL, 8);
  *tempText = NewText(this, temp, 30, 3);
  row->Add(*tempText, 0, wxALL, 4);
  *dewLabel = NewLabel(this, wxS("Dew:"));
  row->Add(*dewLabel, 0, wxALL, 8);
  *dewText = NewText(this, dew, 30, 3);
  row->Add(*dewText, 0, wxALL, 4);
  *heightLabel = NewLabel(this, wxS("Height ft:"));
  row->Add(*heightLabel, 0, wxALL, 8);
  *heightText = NewText(this, height, 45, 5);
  row->Add(*heightText, 0, wxALL, 4);
  column->Add(row, proportion, wxEXPAND, 5);
}

wxSizer* SetFSWX::BuildCloudColumn() {
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* clouds = new wxStaticBoxSizer(wxVERTICAL, this, wxS("Clouds"));
  wxWindow* box = clouds->GetStaticBox();

  auto* kind = new wxBoxSizer(wxHORIZONTAL);
  CloudTypeLabel = NewLabel(box, wxS("Type:"));
  kind->Add(CloudTypeLabel, 0, wxALL, 8);
  CloudTypeChoice = NewChoice(box, Items({L"Cirrus", L"Stratus", L"Cumulus", L"Thunderstorm"}));
  kind->Add(CloudTypeChoice, 0, wxALL, 4);
  CoverLabel = NewLabel(box, wxS("Cover:"));
  kind->Add(CoverLabel, 0, wxALL, 8);
  CoverChoice =
      NewChoice(box, Items({L"0/8", L"1/8", L"2/8", L"3/8", L"4/8", L"5/8", L"6/8", L"7/8", L"8/8"}));
  kind->Add(CoverChoice, 0, wxALL, 4);
  clouds->Add(kind, 0, wxEXPAND, 5);

  auto* heights = new wxBoxSizer(wxHORIZONTAL);
  CloudLowerLabel = NewLabel(box, wxS("Height from ft:"));
  heights->Add(CloudLowerLabel, 0, wxALL, 8);
  CloudLowerText = NewText(box, wxS("2000"), 45, 5);
  heights->Add(CloudLowerText, 0, wxALL, 4);
  CloudUpperLabel = NewLabel(box, wxS("to:"));
  heights->Add(CloudUpperLabel, 0, wxALL, 8);
  CloudUpperText = NewText(box, wxS("10000"), 45, 5);
  heights->Add(CloudUpperText, 0, wxALL, 4);
  SpareLabel = NewLabel(box, wxS("Spare:"));
  heights->Add(SpareLabel, 0, wxALL, 8);
  SpareText = NewText(box, wxS("0"), 40, kNoLimit);
  heights->Add(SpareText, 0, wxALL, 4);
  clouds->Add(heights, 0, wxEXPAND, 5);

  auto* cloudMore = new wxBoxSizer(wxHORIZONTAL);
  CloudTurbLabel = NewLabel(box, wxS("Turbulence:"));
  cloudMore->Add(CloudTurbLabel, 0, wxALL, 8);
  CloudTurbSpin = NewSpin(box, 40, 0, 4, 0);
  cloudMore->Add(CloudTurbSpin, 0, wxALL, 4);
  IcingLabel = NewLabel(box, wxS("Icing:"));
  cloudMore->Add(IcingLabel, 0, wxALL, 8);
  IcingSpin = NewSpin(box, 40, 0, 4, 0);
  cloudMore->Add(IcingSpin, 0, wxALL, 5);
  TopShapeLabel = NewLabel(box, wxS("Top Shape:"));
  cloudMore->Add(TopShapeLabel, 0, wxALL, 8);
  TopShapeText = NewText(box, wxS("0"), 40, kNoLimit);
  cloudMore->Add(TopShapeText, 0, wxALL, 4);
  clouds->Add(cloudMore, 0, wxEXPAND, 5);

  auto* precipitation = new wxBoxSizer(wxHORIZONTAL);
  PrecipBaseLabel = NewLabel(box, wxS("Precip Base in ft:"));
  precipitation->Add(PrecipBaseLabel, 0, wxALL, 8);
  PrecipBaseText = NewText(box, wxS("0"), 40, 5);
  precipitation->Add(PrecipBaseText, 0, wxALL, 4);
  PrecipTypeLabel = NewLabel(box, wxS("Type:"));
  precipitation->Add(PrecipTypeLabel, 0, wxALL, 8);
  PrecipTypeChoice = NewChoice(box, Items({L"none", L"Rain", L"Snow"}));
  precipitation->Add(PrecipTypeChoice, 0, wxALL, 4);
  RateLabel = NewLabel(box, wxS("Rate:"));
  precipitation->Add(RateLabel, 0, wxALL, 8);
  RateSpin = NewSpin(box, 35, 0, 5, 2);
  precipitation->Add(RateSpin, 0, wxALL, 5);
  clouds->Add(precipitation, 0, wxEXPAND, 5);

  column->Add(clouds, 1, wxEXPAND, 5);
  return column;
}

wxSizer* SetFSWX::BuildButtonArea() {
  auto* area = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  ClearWXButton = new wxButton(this, wxID_ANY, wxS("Clear WX"));
  ClearWXButton->SetToolTip(wxS("Clear all weather"));
  row->Add(ClearWXButton, 0, wxALL, 5);
  row->Add(0, 0, 1, wxEXPAND, 5);
  ButtonSizer = new wxStdDialogButtonSizer();
  OkButton = new wxButton(this, wxID_OK);
  ButtonSizer->AddButton(OkButton);
  ApplyButton = new wxButton(this, wxID_APPLY);
  ButtonSizer->AddButton(ApplyButton);
  CancelButton = new wxButton(this, wxID_CANCEL);
  ButtonSizer->AddButton(CancelButton);
  ButtonSizer->Realize();
  row->Add(ButtonSizer, 0, wxALL | wxEXPAND, 5);
  area->Add(row, 1, wxEXPAND, 5);
  return area;
}
