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
// The longest the window waits for the link, in all: for the writer to end its exchange, then
// for the module to take the record.
constexpr std::uint32_t kLinkWaitMs = 1000;
// Between two tries to take the link while the writer holds it.
constexpr std::uint32_t kLinkTryMs = 10;
const wchar_t kLinkBusyText[] = L"The simulator link is busy: nothing was written. Please try again.";

void ShowLinkError(std::uint32_t code) {
  modal_runs::ShowBox(wxString(FSUIPC::ErrorText(code)), wxS("FSUIPC-Error"), wxOK | wxICON_ERROR, nullptr);
}

void ShowLinkBusy() { modal_runs::ShowBox(kLinkBusyText, wxS("FSUIPC-Error"), wxOK | wxICON_ERROR, nullptr); }

void SleepScaled(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::microseconds(ScaledMicros(ms)));
}

// The pauses of one use of the link, kLinkWaitMs at most in all.
class LinkWaitBudget {
 public:
  explicit LinkWaitBudget(const NubivaneSetFSWX::LinkPause& pause) : pause_(pause) {}

  bool Pause(std::uint32_t ms) {
    if (spentMs_ + ms > kLinkWaitMs) return false;
    spentMs_ += ms;
    pause_(ms);
    return true;
  }

 private:
  const NubivaneSetFSWX::LinkPause& pause_;
  std::uint32_t spentMs_ = 0;
};

// The writer thread holds the link through each exchange, and an exchange with a module that
// does not answer lasts all its retries: the window takes the link only if it comes free within
// its wait, and otherwise leaves it alone.
bool TakeLink(std::unique_lock<std::recursive_mutex>& unit, LinkWaitBudget& budget) {
  while (!unit.try_lock()) {
    if (!budget.Pause(kLinkTryMs)) return false;
  }
  return true;
}

enum class RecordWrite { kBusy, kNotWritten, kAcknowledged, kUnconfirmed, kAckUnread };

struct RecordWriteResult {
  RecordWrite outcome;
  std::uint32_t code = kFsuipcOk;
};

// Under the link, the record and the module's answer to it are one unit that no exchange of the
// writer comes between (its own wait would take this answer for one to its record).
RecordWriteResult WriteRecord(const NewWeather& record, LinkWaitBudget& budget) {
  std::unique_lock<std::recursive_mutex> unit(FSUIPCWorker::LinkLock(), std::defer_lock);
  if (!TakeLink(unit, budget)) return {RecordWrite::kBusy};
  FSUIPC link;
  std::uint32_t before = 0;
  std::uint32_t code = link.ReadWeatherAck(&before);
  if (code == kFsuipcOk) code = link.WriteNewWeather(&record);
  if (code != kFsuipcOk) return {RecordWrite::kNotWritten, code};
  const AckWait ack = link.WaitWeatherAck(before, [&budget](std::uint32_t ms) { return budget.Pause(ms); });
  switch (ack.end) {
    case AckWaitEnd::kAcknowledged:
      return {RecordWrite::kAcknowledged};
    case AckWaitEnd::kGivenUp:
      return {RecordWrite::kUnconfirmed};
    case AckWaitEnd::kReadFailed:
      break;
  }
  return {RecordWrite::kAckUnread, ack.code};
}

}  // namespace

NubivaneSetFSWX::NubivaneSetFSWX(wxWindow* parent, LogLine log)
    : SetFSWX(parent, wxID_ANY, wxS("Set FS Weather (test only)"), wxDefaultPosition, kDialogSize,
              wxDEFAULT_DIALOG_STYLE),
      log_(std::move(log)),
      linkPause_(SleepScaled) {
  ClearStaticBoxFrames(GetSizer());
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
  // Boxes come after the link is let go: their modal loops must not hold the writer.
  LinkWaitBudget budget(linkPause_);
  const RecordWriteResult written = WriteRecord(record, budget);
  switch (written.outcome) {
    case RecordWrite::kBusy:
      return ShowLinkBusy();
    case RecordWrite::kNotWritten:
      return ShowLinkError(written.code);
    case RecordWrite::kAcknowledged:
      return;
    // The record is in the simulator's weather area: no box for it, only a line in the log.
    case RecordWrite::kUnconfirmed:
      return Note(wxS("Set FS Weather: weather written, not acknowledged in time"));
    case RecordWrite::kAckUnread:
      return Note(wxS("Set FS Weather: weather written, its acknowledgement not read: ") +
                  wxString(FSUIPC::ErrorText(written.code)));
  }
}

void NubivaneSetFSWX::Note(const wxString& line) const {
  if (log_) log_(line);
}

void NubivaneSetFSWX::OnClearWX(wxCommandEvent&) {
  LinkWaitBudget budget(linkPause_);
  std::unique_lock<std::recursive_mutex> unit(FSUIPCWorker::LinkLock(), std::defer_lock);
  if (!TakeLink(unit, budget)) return ShowLinkBusy();
  FSUIPC link;
  const std::uint32_t code = link.WriteWeatherCommand(kWeatherCommandClearAll);
  unit.unlock();
  if (code != kFsuipcOk) ShowLinkError(code);
}

void NubivaneSetFSWX::OnApply(wxCommandEvent&) { SendWeather(); }

void NubivaneSetFSWX::OnCancel(wxCommandEvent&) { EndDialogRun(this, wxID_CANCEL); }

void NubivaneSetFSWX::OnOK(wxCommandEvent&) {
  SendWeather();
  EndDialogRun(this, wxID_OK);
}
