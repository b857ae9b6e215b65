#include "app/option_dialog.h"

#include <utility>

#include "app/core/control_values.h"
#include "app/dialog_fit.h"
#include "options/option_ini.h"
#include "support/gui/modal_runs.h"

namespace {

int SpinValue(const wxSpinCtrl* spin) {
  return SpinTextValue(spin->GetTextValue(), spin->GetMin(), spin->GetMax());
}

}  // namespace

NubivaneOptionDlg::NubivaneOptionDlg(wxWindow* parent)
    : OptionDlg(parent, wxID_ANY, wxS("Option"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE) {}

ClOption::ClOption(wxWindow* parent, OptionData* options, LogLine log)
    : NubivaneOptionDlg(parent), Options(options), Log(std::move(log)) {
  *Options = OptionData();
  LoadIni();
  ShowOptions();
  // The end labels of the slider stand centred on its ends: half a label beside each end keeps
  // them inside the box.
  if (wxSizerItem* slider = GetSizer()->GetItem(UpdateSlider, true)) {
    slider->SetFlag(slider->GetFlag() | wxLEFT | wxRIGHT);
    slider->SetBorder(UpdateSlider->GetTextExtent(wxString::Format(wxS("%i"), UpdateSlider->GetMax())).x / 2);
  }
  ClearStaticBoxFrames(GetSizer());
  KeepFitted(this, wxDefaultSize, [this] { FitControls(); });
  CentreOnParent(wxBOTH);
}

ClOption::~ClOption() { SaveIni(); }

void ClOption::LoadIni() { ::LoadIni(Options); }

void ClOption::SaveIni() { Save(false); }

// A failed save goes to the log; OK and Apply, where the person waits for it, also say it in a box.
void ClOption::Save(bool inBox) {
  wxString reason;
  if (::SaveIni(*Options, kIniFileName, &reason)) return;
  const wxString text = IniSaveFailureText(reason);
  if (Log) Log(wxS("Error: ") + text);
  if (inBox) modal_runs::ShowBox(text, wxS("Nubivane Error"), wxOK, this);
}

bool ClOption::Show(bool show) {
  if (show && !IsShown()) ShowOptions();
  return NubivaneOptionDlg::Show(show);
}

// A value beyond a control's range stays in the block until OK or Apply takes the control's.
void ClOption::ShowOptions() {
  if (Options->Metar == kFeedVatsim) {
    VatsimRadio->SetValue(true);
  } else if (Options->Metar == kFeedIvao) {
    IvaoRadio->SetValue(true);
  } else {
    NoaaRadio->SetValue(true);
  }
  UpdateSlider->SetValue(Options->Weatherupdate);
  UpperairCheck->SetValue(Options->DwlUpperair);
  AddWeatherCheck->SetValue(Options->DwlAddWeather);
  StartupDownloadCheck->SetValue(Options->DwlStartup);
  StartupUpdateCheck->SetValue(Options->CheckUpdateStartup);
  RangeSpin->SetValue(Options->wxRange);
  CirrusCheck->SetValue(Options->GenerateCirus);
  MixedCloudsCheck->SetValue(Options->Cloudmixed);
  CloudLayersSpin->SetValue(Options->Cloudlayer);
  GustyWindCheck->SetValue(Options->SurfaceWindGust);
  TurbulenceCheck->SetValue(Options->TurbulenceCloud);
  WindSmoothingCheck->SetValue(Options->FSUIPCWindSmoothing);
  WindShiftSpin->SetValue(Options->MaxWindShift);
}

void ClOption::TakeControls() {
  if (VatsimRadio->GetValue()) Options->Metar = kFeedVatsim;
  if (IvaoRadio->GetValue()) Options->Metar = kFeedIvao;
  if (NoaaRadio->GetValue()) Options->Metar = kFeedNoaa;
  Options->Weatherupdate = UpdateSlider->GetValue();
  Options->DwlUpperair = UpperairCheck->GetValue();
  Options->DwlAddWeather = AddWeatherCheck->GetValue();
  Options->DwlStartup = StartupDownloadCheck->GetValue();
  Options->CheckUpdateStartup = StartupUpdateCheck->GetValue();
  Options->wxRange = SpinValue(RangeSpin);
  Options->GenerateCirus = CirrusCheck->GetValue();
  Options->Cloudmixed = MixedCloudsCheck->GetValue();
  Options->Cloudlayer = SpinValue(CloudLayersSpin);
  Options->SurfaceWindGust = GustyWindCheck->GetValue();
  Options->TurbulenceCloud = TurbulenceCheck->GetValue();
  Options->FSUIPCWindSmoothing = WindSmoothingCheck->GetValue();
  Options->MaxWindShift = SpinValue(WindShiftSpin);
  if (Taken) Taken(*Options);
}

// The labels of the slider's ends and value take more height than the layout gives it.
void ClOption::FitControls() {
  AtLeastBest(UpdateSlider);
  WidenForDigits({RangeSpin}, 4);
  WidenForDigits({CloudLayersSpin}, 2);
  WidenForDigits({WindShiftSpin}, 3);
}

void ClOption::OnApply(wxCommandEvent&) {
  TakeControls();
  Save(true);
}

void ClOption::OnCancel(wxCommandEvent&) { EndDialogRun(this, wxID_CANCEL); }

void ClOption::OnOK(wxCommandEvent&) {
  TakeControls();
  Save(true);
  EndDialogRun(this, wxID_OK);
}
