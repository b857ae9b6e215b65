// The update cycle of the main window: the timer tick, the download step, the send step and the
// conversion run. The decisions are the plain code of cycle/; this file reads the window's state
// for them and applies what they decide to the controls and the threads.

#include <wx/wupdlock.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <utility>

#include "app/download_stop.h"
#include "app/weather.h"
#include "cycle/feed_download.h"
#include "cycle/init_weather.h"
#include "cycle/station_choice.h"
#include "simlink/fsuipc_worker.h"
#include "support/download.h"
#include "support/gui/modal_runs.h"
#include "support/gui/redraw_yield.h"
#include "support/gui/window_picture.h"
#include "support/log_file.h"

namespace {

// The controls show the end of the send once the event loop has drawn them.
constexpr int kPictureDelayMs = 500;
const wxString kNoStationLabel = wxS("No station within 10000 km of the aircraft");
// How often a running download draws the window and answers the window system, waiting or not:
// well within the tenth of a second after which a window looks dead.
constexpr std::chrono::milliseconds kProgressPaintInterval(50);

// The stop of the window's downloads.
DownloadStop& WindowStop() {
  static DownloadStop stop;
  return stop;
}
int stepsRunning = 0;  // GUI thread only

// A download runs none of the window's events: what it shows is laid out and drawn here, with the
// display's own events and no input (GTK lets timers through as well: the callers hold the tick).
// A close request still comes through and stops the download.
void ShowProgressNow() { YieldForRedraws(); }

}  // namespace

// What the tick reads of the window and sets off in it.
class Weather::CycleHost : public TickHost {
 public:
  explicit CycleHost(Weather& window) : window_(window) {}

  bool IsSimReady() override { return window_.Writer != nullptr && window_.Writer->IsSimReady(); }
  bool HasDownloaded() override { return window_.Downloaded; }
  bool IsLoaderReady() override { return window_.Loader != nullptr && window_.Loader->HandOver().IsReady(); }
  bool IsLoaderBusy() override {
    if (window_.Loader == nullptr) return false;
    const LoaderHandOver& loader = window_.Loader->HandOver();
    return loader.IsRequested() || loader.IsBusy();
  }
  void GetPosition(double& latitude, double& longitude) override {
    latitude = 0.0;
    longitude = 0.0;
    if (window_.Writer != nullptr) window_.Writer->GetPosition(latitude, longitude);
  }
  std::size_t StationCount() override { return window_.Stations.size(); }

  void Download() override {
    wxCommandEvent call(wxEVT_NULL, 0);
    window_.OnDownloadWX(call);
  }
  void Send() override {
    wxCommandEvent call(wxEVT_NULL, 0);
    window_.OnSendWXToFS(call);
  }
  void SetLoaderSleep(std::uint32_t ms) override {
    if (window_.Loader != nullptr) window_.Loader->SetSleep(ms);
  }
  void ShowCountdown(std::int32_t seconds) override {
    window_.SetStatusText(wxString::Format(wxS("Update in %is"), static_cast<int>(seconds)), kCountdownField);
  }
  void ShowNearest() override { window_.ShowNearestStation(); }

 private:
  Weather& window_;
};

// The download step's downloads and boxes, through the window.
class Weather::FeedHost : public FeedDownloadHost {
 public:
  explicit FeedHost(Weather& window) : window_(window) {}

  bool Fetch(const wxString& url, wxString& text, const wxString& caption) override {
    return window_.Download(url, &text, caption) == 0;
  }
  void ShowBox(const wxString& text, const wxString& caption) override {
    modal_runs::ShowBox(text, caption, wxOK | wxCENTRE, &window_);
  }
  bool Stopped() override { return WindowStop().Raised(); }

 private:
  Weather& window_;
};

void StopWindowDownloads() { WindowStop().Raise(); }

// A download step begins with the stop lowered; the window's close raises it (Weather::BeginClosing)
// and it stays raised for the rest of that step.
WindowDownloadStep::WindowDownloadStep() {
  if (stepsRunning++ == 0) WindowStop().Lower();
}

WindowDownloadStep::~WindowDownloadStep() { --stepsRunning; }

const DownloadStop* WindowDownloadStep::Stop() const { return &WindowStop(); }

std::function<void()> KeepWindowsDrawn() {
  return [lastPaint = std::chrono::steady_clock::now()]() mutable {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPaint >= kProgressPaintInterval) {
      ShowProgressNow();
      lastPaint = now;
    }
  };
}

void Weather::OnTimer(wxTimerEvent&) {
  if (Closing) return;
  // Lists a split has published belong to the window from now on, whether or not their event
  // has been delivered yet.
  TakeLoadedLists();
  CycleHost host(*this);
  Tick.Run(host, Options);
}

int Weather::Download(const wxString& url, wxString* text, const wxString& caption) {
  return Download(url, text, caption, kFeedDownloadLimits.maxBytes);
}

int Weather::Download(const wxString& url, wxString* text, const wxString& caption, std::uint64_t maxBytes) {
  if (Closing) return 1;  // a window that is going starts no download
  const WindowDownloadStep step;
  ProgressLabel->SetLabel(kConnectingLabel);
  ShowGauge(true);
  ShowProgressNow();
  DownloadOptions options;
  options.limits = kFeedDownloadLimits;
  options.limits.maxBytes = maxBytes;
  const std::function<void()> paintNow = KeepWindowsDrawn();
  options.progress = [this, &caption, &paintNow](const DownloadProgress& progress) {
    ApplyDownloadProgress(caption, progress.receivedBytes, progress.sizeBytes, progress.sizeKnown);
    paintNow();
  };
  options.waiting = [&paintNow] { paintNow(); };  // one pace for both
  options.stop = step.Stop();
  wxString resource;
  const DownloadResult result = DownloadText(url, resource, options);
  if (result == DownloadResult::kNoProtocol) return 2;
  if (result != DownloadResult::kComplete) return 1;
  *text += resource;
  return 0;
}

void Weather::ApplyDownloadProgress(const wxString& caption, std::uint64_t receivedBytes,
                                    std::uint64_t sizeBytes, bool sizeKnown) {
  const FeedProgressView view = ViewFeedProgress(caption, receivedBytes, sizeBytes, sizeKnown);
  ProgressLabel->SetLabel(view.Label);
  if (view.Pulse) {
    ProgressGauge->Pulse();
  } else {
    ProgressGauge->SetRange(view.Range);
    ProgressGauge->SetValue(view.Value);
  }
}

void Weather::OnDownloadWX(wxCommandEvent&) {
  // The boxes of this step dispatch timer events: no tick may start a second download that would
  // empty the lists this one fills.
  const TimerTick::Hold hold(Tick);
  const WindowDownloadStep step;
  Downloaded = true;
  Selection.clear();
  Stations.clear();
  Ttaa.clear();
  Ttbb.clear();
  Ppbb.clear();
  Synops.clear();
  MetarText.clear();
  UpperairText.clear();
  SynopText.clear();
  // A split of the previous texts, running or finished, is stale now, and so is its Ready.
  if (Loader != nullptr) Loader->HandOver().Abandon();

  FeedHost host(*this);
  DownloadedFeeds feeds;
  const bool split = RunFeedDownload(Options, DefaultFeedEndpoints(), host, CycleLog(), feeds);
  MetarText = std::move(feeds.Metar);
  UpperairText = std::move(feeds.Upperair);
  SynopText = std::move(feeds.Synop);
  if (!split) {
    // The boxes have said why; the label and the gauge no longer claim a connection.
    ProgressLabel->SetLabel(wxEmptyString);
    ShowGauge(false);
    return;
  }
  if (Loader != nullptr) Loader->HandOver().Request({MetarText, UpperairText, SynopText});
}

void Weather::OnSendWXToFS(wxCommandEvent&) {
  const TimerTick::Hold hold(Tick);
  Log->WriteToFile(wxS("Main: Sent WX to FS"));
  if (Loader != nullptr) {
    TakeLoadedLists();
    Loader->HandOver().ClearReady();
  }
  double latitude = 0.0;
  double longitude = 0.0;
  if (Writer != nullptr) Writer->GetPosition(latitude, longitude);
  StationChoice choice = ChooseStations(Stations, latitude, longitude, Options, CycleLog());
  if (choice.Outcome == ChoiceOutcome::kTooFewStations) return;
  if (!choice.Label.empty()) ProgressLabel->SetLabel(choice.Label);
  Selection = std::move(choice.Selection);
  ShowGauge(false);
  if (choice.Outcome == ChoiceOutcome::kNoStation) {
    ProgressLabel->SetLabel(kNoStationLabel);
    Log->WriteToFile(wxS("Main: No station within 10000 km"));
    return;
  }
  ConvertWXToNewWeather();
}

bool Weather::ConvertWXToNewWeather() {
  if (Selection.empty()) {
    Log->WriteToFile(wxS("Main: Start convert WX to NewWeather"));
    return false;
  }
  MainMenu->Enable(kIdSendWxToFs, false);
  ConversionResult result = ConvertSelection(Selection, LookupLists(), Options, CycleLog());
  ProgressLabel->SetLabel(result.Label);
  if (result.Records.empty() || Writer == nullptr) {
    // Nothing goes to the writer, so nobody else would enable the item again.
    MainMenu->Enable(kIdSendWxToFs, true);
    Log->WriteToFile(wxS("Main: No station to send"));
    return true;
  }
  Writer->HandOver(std::move(result.Records));
  Log->WriteToFile(wxS("Main: Start Send WX to FS"));
  return true;
}

void Weather::ShowNearestStation() {
  double latitude = 0.0;
  double longitude = 0.0;
  if (Writer != nullptr) Writer->GetPosition(latitude, longitude);
  std::int32_t km = 0;
  const std::int32_t index = NearestStationForDisplay(Stations, latitude, longitude, km);
  if (index < 0) return;
  MetarRecord& station = Stations[static_cast<std::size_t>(index)];
  // The list, the text and the table change at once, drawn once at the end.
  const wxWindowUpdateLocker frozen(Panel);
  StationList->Clear();
  StationList->Insert(station.Raw, 0);
  StationList->Insert(DistanceLine(km), 1);
  ShowStation(station, FailedDecode::kShowAnyway);
  if (std::exchange(PictureAfterSend, false)) KeepPicture();
}

ReportLookupLists Weather::LookupLists() {
  ReportLookupLists lists;
  lists.Ttaa = &Ttaa;
  lists.Ttbb = &Ttbb;
  lists.Ppbb = &Ppbb;
  lists.Synops = &Synops;
  lists.UseTtbb = UseTtbb;
  lists.UsePpbb = UsePpbb;
  return lists;
}

LogLine Weather::CycleLog() {
  return [this](const wxString& line) { Log->WriteToFile(line); };
}

void Weather::KeepPictureAfterSend() { PictureAfterSend = true; }

void Weather::KeepPicture() {
  const char* path = std::getenv("NUBIVANE_SCREENSHOT");
  if (path == nullptr || *path == '\0' || PictureTimer.IsRunning()) return;
  if (!PicturePath) {
    PictureTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
      if (!SavePicture(PictureOfWindow(this), *PicturePath))
        Log->WriteToFile(wxS("Main: the window's picture could not be written to ") + *PicturePath);
    });
  }
  PicturePath = wxString::FromUTF8(path);
  PictureTimer.StartOnce(kPictureDelayMs);
}
