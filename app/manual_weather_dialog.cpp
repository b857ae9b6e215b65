#include "app/manual_weather_dialog.h"

#include <wx/defs.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "app/dialog_fit.h"
#include "platform/test_knobs.h"
#include "simlink/convert_weather.h"
#include "simlink/fsuipc.h"
#include "simlink/fsuipc_worker.h"
#include "support/gui/modal_runs.h"

namespace {

const wxSize kDialogSize(700, 302);
constexpr std::uint32_t kAckPollMs = 50;
constexpr int kAckPolls = 20;  // a module that never acknowledges holds the window 1 s at most

void ShowLinkError(std::uint32_t code) {
  modal_runs::ShowBox(wxString(FSUIPC::ErrorText(code)), wxS("FSUIPC-Error"), wxOK | wxICON_ERROR, nullptr);
}

// The writer thread shares the link: under its lock, the record and the module's answer to it
// are one unit that no exchange of the writer comes between.
std::uint32_t WriteAcknowledged(const NewWeather& record) {
  std::lock_guard<std::recursive_mutex> unit(FSUIPCWorker::LinkLock());
  FSUIPC link;
  std::uint32_t before = 0;
  std::uint32_t code = link.ReadWeatherAck(&before);
  if (code != kFsuipcOk) return code;
  code = link.WriteNewWeather(&record);
  if (code != kFsuipcOk) return code;
  for (int poll = 0; poll < kAckPolls; ++poll) {
    std::this_thread::sleep_for(std::chrono::microseconds(ScaledMicros(kAckPollMs)));
    std::uint32_t now = before;
    code = link.ReadWeatherAck(&now);
    if (code != kFsuipcOk || now != before) return code;
  }
  return kFsuipcOk;
}

}  // namespace

NubivaneSetFSWX::NubivaneSetFSWX(wxWindow* parent)
    : SetFSWX(parent, wxID_ANY, wxS("Set FS Weather (test only)"), wxDefaultPosition, kDialogSize,
              wxDEFAULT_DIALOG_STYLE) {
  KeepFitted(this, kDialogSize, [this] { FitControls(); });
  CentreOnParent(wxBOTH);
}

// Each field is wide enough for as many digits as it takes; "Spare:" and "Top Shape:" take
// any length but hold a byte.
void NubivaneSetFSWX::FitControls() {
  WidenToShow(StationText, wxS("WWWW"));
  WidenForDigits({TurbSpin, ShearSpin, CloudTurbSpin, IcingSpin, RateSpin}, 1);
  WidenForDigits({GustText}, 2);
  WidenForDigits({WindDirText, SpeedText, VarSpin, TempText1, DewText1, TempText2, DewText2, TempText3,
                  DewText3, TempText4, DewText4, SpareText, TopShapeText},
                 3);
  WidenForDigits({VisibilityText, HeightText1, HeightText2, HeightText3, HeightText4, CloudLowerText,
                  CloudUpperText, PrecipBaseText},
                 5);
}

ManualWeatherForm NubivaneSetFSWX::ReadForm() const {
  ManualWeatherForm form;
  form.Station = StationText->GetValue();
  form.WindDirection = WindDirText->GetValue();
  form.WindSpeed = SpeedText->GetValue();
  form.WindGust = GustText->GetValue();
  form.WindTurbulence = TurbSpin->GetValue();
  form.WindShear = ShearSpin->GetValue();
  form.WindVariance = VarSpin->GetValue();
  form.Visibility = VisibilityText->GetValue();
  form.Temperature = TempText1->GetValue();
  form.DewPoint = DewText1->GetValue();
  form.TemperatureHeight = HeightText1->GetValue();
  form.CloudType = CloudTypeChoice->GetSelection();
  form.CloudCover = CoverChoice->GetSelection();
  form.CloudLower = CloudLowerText->GetValue();
  form.CloudUpper = CloudUpperText->GetValue();
  form.CloudSpare = SpareText->GetValue();
  form.CloudTurbulence = CloudTurbSpin->GetValue();
  form.CloudIcing = IcingSpin->GetValue();
  form.CloudTopShape = TopShapeText->GetValue();
  form.PrecipBase = PrecipBaseText->GetValue();
  form.PrecipType = PrecipTypeChoice->GetSelection();
  form.PrecipRate = RateSpin->GetValue();
  return form;
}

void NubivaneSetFSWX::SendWeather() {
  NewWeather record;
  wxString problem;
  if (!BuildManualWeather(ReadForm(), &record, &problem)) {
    modal_runs::ShowBox(problem, wxS("Message"), wxOK | wxCENTRE, nullptr);
    return;
  }
  ClConvertWeather check;
  if (!check.CheckNewWeather(&record)) {
    modal_runs::ShowBox(check.GetErrorText(), wxS("Message"), wxOK | wxCENTRE, nullptr);
    return;
  }
  const std::uint32_t code = WriteAcknowledged(record);
  if (code != kFsuipcOk) ShowLinkError(code);
}

void NubivaneSetFSWX::OnClearWX(wxCommandEvent&) {
  FSUIPC link;
  const std::uint32_t code = link.WriteWeatherCommand(kWeatherCommandClearAll);
  if (code != kFsuipcOk) ShowLinkError(code);
}

void NubivaneSetFSWX::OnApply(wxCommandEvent&) { SendWeather(); }

void NubivaneSetFSWX::OnCancel(wxCommandEvent&) { EndDialogRun(this, wxID_CANCEL); }

void NubivaneSetFSWX::OnOK(wxCommandEvent&) {
  SendWeather();
  EndDialogRun(this, wxID_OK);
}
