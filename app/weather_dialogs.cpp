// The main window's handlers that show what it holds and what it can be told: the options
// dialog, the update check and the ICAO field.

#include <wx/colour.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <cstdint>

#include "app/download_stop.h"
#include "app/option_dialog.h"
#include "app/update_check.h"
#include "app/weather.h"
#include "support/download.h"
#include "support/gui/modal_runs.h"
#include "support/log_file.h"

namespace {

const wxColour kIcaoFieldNoReports(200, 0, 0);
const wxColour kIcaoFieldNormal(255, 255, 255);

}  // namespace

// The weather cycle goes on behind the dialog: a tick's download or box runs inside its loop.
void Weather::OnOption(wxCommandEvent&) { modal_runs::ShowDialog(*Option); }

void Weather::OnCheckUpdates(wxCommandEvent& event) {
  // Its boxes and downloads dispatch timer events.
  const TimerTick::Hold hold(Tick);
  // A window that is going asks the update host nothing.
  if (Closing) return;
  // From the version text to the setup program one step: a close anywhere in it stops the rest.
  const WindowDownloadStep step;
  UpdateCheckHost host;
  host.Download = [this](const wxString& url, wxString* text, std::uint64_t maxBytes) {
    return Download(url, text, wxS("Check Updates"), maxBytes);
  };
  host.ClearProgress = [this] {
    ProgressLabel->SetLabel(wxEmptyString);
    ShowGauge(false);
  };
  host.Stopped = [this, &step] { return Closing || step.Stop()->Raised(); };
  host.SetupStop = step.Stop();
  host.SetupWaiting = KeepWindowsDrawn();
  RunUpdateCheck(this, host, event.GetString() == wxS("startup"));
}

// The entered station is looked up in the window's own lists, which the loader never touches:
// lists it has published since are taken first.
void Weather::OnEnterICAO(wxCommandEvent&) {
  // The field, the text and the table change at once, drawn once at the end.
  const wxWindowUpdateLocker frozen(Panel);
  UpperairList->DeleteAllItems();
  TakeLoadedLists();
  if (Stations.empty()) {
    ProgressLabel->SetLabel(wxS("Metar not load!"));
    IcaoText->SetBackgroundColour(kIcaoFieldNoReports);
    IcaoText->Refresh();
    return;
  }
  IcaoText->SetBackgroundColour(kIcaoFieldNormal);
  IcaoText->Refresh();
  const wxString icao = IcaoText->GetValue().Upper();
  IcaoText->ChangeValue(icao);
  ProgressLabel->SetLabel(wxEmptyString);
  Log->WriteToFile(wxS("Main: Enter Metar-ICAO -> ") + icao);

  const auto found = std::find_if(Stations.begin(), Stations.end(),
                                  [&icao](const MetarRecord& station) { return station.Icao == icao; });
  if (found == Stations.end()) {
    ProgressLabel->SetLabel(wxS("Metar not found!"));
    ReportText->Clear();
    return;
  }
  StationList->Insert(found->Raw, 0);
  ShowStation(*found, FailedDecode::kLogAndStop);
}
