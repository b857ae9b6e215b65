#include "app/weather.h"

#include <wx/app.h>
#include <wx/busyinfo.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/platinfo.h>
#include <wx/utils.h>

#include <algorithm>
#include <utility>

#include "app/close_on_signal.h"
#include "app/dialog_fit.h"
#include "app/download_stop.h"
#include "app/frame_placement.h"
#include "app/option_dialog.h"
#include "cycle/init_weather.h"
#include "platform/test_knobs.h"
#include "simlink/fsuipc_worker.h"
#include "support/file_version.h"
#include "support/gui/modal_runs.h"
#include "support/last_run.h"
#include "support/log_file.h"

namespace {

constexpr int kTimerIntervalMs = 1000;
// While a close waits for a step to end, it looks again this often.
constexpr int kCloseCheckMs = 20;
constexpr int kSizeGripWidth = 16;
// The longest text field 2 shows while all is well.
const wxString kLinkTextSample = wxS("FS2004 - FSUIPC-Ver: 3.650");

const wxString kErrorReportOffer =
    wxS("The last time the programme was executed, an error occurred or the programme did not terminate "
        "correctly.\r\nHelp us to improve the program and send the error information.\r\n\r\nSend the error "
        "information now?");

// The library's debug channel: an attached debugger, or the standard error output here.
void DebugOutput(const wxString& text) { wxMessageOutputDebug().Output(text); }

}  // namespace

Weather::Weather(wxWindow* parent, wxWindowID /*id*/) : NubivaneFrame(parent) {
  // Bound first: a signal may come in the first box of the start-up.
  Bind(wxEVT_CLOSE_WINDOW, &Weather::OnCloseWindow, this);
  Bind(wxEVT_IDLE, &Weather::OnIdle, this);
  CloseCheck.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { CloseWhenQuiet(); });
  // The log's and the updater's boxes are windows from the first line on.
  PreviousSupportUi = InstallSupportUi(&SupportWindows);
  BindWorkerEvents();
  Bind(wxEVT_SHOW, &Weather::OnShow, this);
  Bind(wxEVT_TIMER, &Weather::OnTimer, this, kTimerId);

  // The previous log can be large: a signal while it is read ends the reading.
  Log = std::make_unique<ClLog>(wxS("nubivane.log"), [this] { return GoOnWaiting(); });
  CheckLastRun();
  Log->WriteToFile(wxS("Nubivane Start"));
  // Not through wxPlatformInfo::Get(): on Linux it also asks lsb_release for the distribution,
  // which takes seconds and would hold a close that came during the start-up.
  const wxOperatingSystemId system = wxGetOsVersion();
  const wxBitness bitness = wxIsPlatform64Bit() ? wxBITNESS_64 : wxBITNESS_32;
  Log->WriteToFile(wxString::Format(wxS("OS: %s, Architecture: %s "),
                                    wxPlatformInfo::GetOperatingSystemIdName(system),
                                    wxPlatformInfo::GetBitnessName(bitness)));

  // Until the end of the constructor every window is disabled. One busy text stands at a time,
  // and none while a box is shown: the busy window stays above every other and would hide it.
  wxWindowDisabler disabled;
  std::unique_ptr<wxBusyInfo> busy;
  const auto showBusy = [this, &busy](const wxString& text) {
    busy.reset();
    if (!Closing) busy = std::make_unique<wxBusyInfo>(text, this);
  };

  Option = new ClOption(this, &Options, CycleLog());
  PlaceFromOptions();

  showBusy(wxS("initialize airports"));
  Metar = std::make_unique<ClMetar>();
  bool airportsRead = false;
  wxString airportsProblem;
  {
    wxLogNull quiet;  // our own box says it; the library's report of the failed open would be a second
    // A window that a signal is closing checks no catalogue: its box would not be shown anyway.
    airportsRead = Closing || Metar->LoadAirports(wxS("airport.dat"), &airportsProblem);
  }
  if (!airportsRead) {
    busy.reset();
    modal_runs::ShowBox(wxS("Can't open airport.dat!"), wxS("Nubivane Error"), wxOK, this);
    if (!airportsProblem.empty()) Log->WriteToFile(wxS("Error: ") + airportsProblem);
    Log->WriteToFile(wxS("Error: Can't open airport.dat!"));
    // The start-up runs to its end, boxes included; the window never goes inside its constructor.
    EndAfterStartUp = true;
  }

  showBusy(wxS("getting Fileversion"));
  ShowFileVersion();

  ShowGauge(false);
  Downloaded = false;
  UseTtbb = false;
  UsePpbb = false;
  Options.AlignUpperWinds = true;

  showBusy(wxS("creating Thread"));
  showBusy(wxS("initialize weather stations"));
  // A window that a signal is closing starts no thread: it would only be joined again.
  if (!Closing) StartLoader();
  StartWriter();

  busy.reset();  // the check shows its own busy text, and its boxes
  if (Options.CheckUpdateStartup && !Closing) {
    wxCommandEvent startup(wxEVT_NULL, 0);
    startup.SetString(wxS("startup"));
    OnCheckUpdates(startup);
  }

  Timer = std::make_unique<wxTimer>(this, kTimerId);
  // Tests run the tick faster; the countdown still counts ticks.
  const auto scaledMs = std::max<std::int64_t>(1, ScaledMicros(kTimerIntervalMs) / 1000);
  Timer->Start(static_cast<int>(scaledMs), wxTIMER_CONTINUOUS);

  busy.reset();
  StartingUp = false;
  if (EndAfterStartUp || Closing) BeginClosing();
}

Weather::~Weather() {
  // Nothing is shown any more while the window goes.
  modal_runs::Refuse(true);
  CloseCheck.Stop();
  // No tick may reach a thread that is going.
  if (Timer) Timer->Stop();
  StopThreads();

  const wxRect frame = Geometry.Last();
  Options.FramePosX = frame.x;
  Options.FramePosY = frame.y;
  Options.FrameSizeX = frame.width;
  Options.FrameSizeY = frame.height;
  // The options dialog writes "Nubivane.ini" as it goes.
  delete std::exchange(Option, nullptr);
  Metar.reset();
  if (Timer) {
    Log->WriteToFile(wxS("Main: deleting Timer"));
    Timer.reset();
  }
  Log->WriteToFile(wxS("Main: Nubivane Close"));
  Log.reset();
  InstallSupportUi(PreviousSupportUi);
  modal_runs::Refuse(false);
}

void Weather::OnCloseWindow(wxCloseEvent&) { BeginClosing(); }

void Weather::BeginClosing() {
  if (!Closing) {
    Closing = true;
    modal_runs::Refuse(true);
  }
  StopWindowDownloads();
  // Each ends as its Cancel would; the steps they return to run to their end.
  modal_runs::EndAll();
  wxWakeUpIdle();
  if (!StartingUp && !CloseCheck.IsRunning()) CloseCheck.Start(kCloseCheckMs);
}

void Weather::OnIdle(wxIdleEvent& event) {
  event.Skip();
  CloseWhenQuiet();
}

void Weather::CloseWhenQuiet() {
  if (!Closing || DestroyAsked) return;
  modal_runs::EndAll();
  if (StartingUp || Tick.Held() || modal_runs::Running()) return;
  DestroyAsked = true;
  CloseCheck.Stop();
  Destroy();
  wxWakeUpIdle();
}

bool Weather::TakeLoadedLists() {
  if (Loader == nullptr) return false;
  // What the loader showed before its lists is shown now, so that no label the window sets from
  // them is replaced by it later, when its event arrives.
  ApplyLoaderProgress();
  LoadedLists lists;
  if (!Loader->HandOver().TakeLists(lists)) return false;
  Stations = std::move(lists.Stations);
  Ttaa = std::move(lists.Ttaa);
  Ttbb = std::move(lists.Ttbb);
  Ppbb = std::move(lists.Ppbb);
  Synops = std::move(lists.Synops);
  return true;
}

void Weather::CheckLastRun() {
  if (!Log->GetLastRun().Failed()) return;
  const int answer = modal_runs::ShowBox(kErrorReportOffer, wxS("Debug"), wxYES_NO | wxICON_QUESTION, this);
  // The start-up waits for the mail; a signal meanwhile ends it at once.
  if (answer == wxYES && !Closing)
    Log->SendErrorMail(ErrorReportBody(Log->GetLastRun()), [this] { return GoOnWaiting(); });
}

bool Weather::GoOnWaiting() {
  ServeCaughtSignals();
  return !Closing;
}

void Weather::PlaceFromOptions() {
  const wxRect stored(Options.FramePosX, Options.FramePosY, Options.FrameSizeX, Options.FrameSizeY);
  const wxRect placed = PlaceFrame(stored, DisplayWorkAreas(), SmallestUsableSize());
  Move(placed.GetPosition());
  SetSize(placed.GetSize());
  ShowAtOnce(this);
  Geometry.Watch(this, placed);
}

void Weather::ShowFileVersion() {
  ClFileVersion version;
  version.Load(wxString());
  SetStatusText(wxS("v") + version.GetFileVersion(true) + wxS(" BETA"), kVersionField);
  Log->WriteToFile(wxS("Program Version: ") + StatusBar->GetStatusText(kVersionField));
}

void Weather::StartLoader() {
  {
    // A catalogue that cannot be read is said in the log below, never in the library's own box.
    wxLogNull quiet;
    Loader = new InitWeather(this);
  }
  // Not an "Error" line: without upper air and SYNOP the program needs no WMO station.
  if (!Loader->StationsProblem().empty()) Log->WriteToFile(wxS("InitWeather: ") + Loader->StationsProblem());
  if (!Loader->StationsRead())
    Log->WriteToFile(wxS("InitWeather: Can't read station.dat, no upper-air or SYNOP station is known"));
  Loader->SetParts(UseTtbb, UsePpbb);
  if (Loader->Create() != wxTHREAD_NO_ERROR) {
    Log->WriteToFileAndErrorBox(wxS("Error: InitWeather - Can't create the  thread!"));
  } else if (Loader->Run() != wxTHREAD_NO_ERROR) {
    Log->WriteToFileAndErrorBox(wxS("Error: InitWeather - Can't start the Weather thread!"));
  }
}

void Weather::StartWriter() {
  // A window that is going must not touch the simulator: no first-ready clearing of its weather.
  if (Closing || EndAfterStartUp) return;
  Writer = new FSUIPCWorker(WriterOptionsOf(Options), this);
  Option->Taken = [this](const OptionData& options) {
    if (Writer != nullptr) Writer->SetOptions(WriterOptionsOf(options));
  };
  if (Writer->Create() != wxTHREAD_NO_ERROR) {
    Log->WriteToFileAndErrorBox(wxS("Error: FSUIPC - Can't create the thread!"));
  } else if (Writer->Run() != wxTHREAD_NO_ERROR) {
    Log->WriteToFileAndErrorBox(wxS("Error: FSUIPC - Can't start the thread!"));
  }
  Writer->StartConnecting();
}

void Weather::StopThreads() {
  // Both are asked first, so that the writer's exchange in progress is already being cut short
  // while the loader is joined.
  if (Loader != nullptr) Loader->AskToStop();
  if (Writer != nullptr) Writer->RequestStop();
  if (Loader != nullptr) {
    DebugOutput(wxS("InitWeather: deleting thread\r\n"));
    Log->WriteToFile(wxS("InitWeather: deleting thread"));
    if (Loader->Delete() != wxTHREAD_NO_ERROR) {
      Log->WriteToFile(wxS("Error: InitWeather: Can't delete the thread!"));
      DebugOutput(wxS("InitWeather: Can't delete the thread!"));
    }
    delete std::exchange(Loader, nullptr);
  }
  if (Writer != nullptr) {
    DebugOutput(wxS("FSUIPC: deleting thread\r\n"));
    Log->WriteToFile(wxS("FSUIPC: deleting thread"));
    if (Writer->Delete() != wxTHREAD_NO_ERROR) {
      DebugOutput(wxS("FSUIPC: Can't delete the thread!"));
      Log->WriteToFile(wxS("Error: FSUIPC: Can't delete the thread!"));
    }
    delete std::exchange(Writer, nullptr);
  }
}

void Weather::BindWorkerEvents() {
  Bind(EVT_LOADER_PROGRESS, [this](wxThreadEvent&) { ApplyLoaderProgress(); });
  Bind(EVT_LOADER_MESSAGE, &Weather::OnLoaderMessage, this);
  Bind(EVT_LOADER_LISTS, &Weather::OnLoaderLists, this);
  Bind(EVT_LOADER_LOG, [this](wxThreadEvent& event) { Log->WriteToFile(event.GetString()); });
  Bind(EVT_WRITER_PROGRESS, [this](wxThreadEvent&) { ApplyWriterProgress(); });
}

void Weather::ApplyLoaderProgress() {
  if (Loader == nullptr) return;  // an event that was still on its way at shut-down
  for (const LoaderProgress& progress : Loader->Progress().TakeUnread()) {
    ProgressLabel->SetLabel(progress.Label);
    ProgressGauge->SetRange(std::max(progress.GaugeRange, 0));
    ProgressGauge->SetValue(std::clamp(progress.GaugeValue, 0, std::max(progress.GaugeRange, 0)));
    SetStatusText(progress.Counts, kCountsField);
    if (progress.GaugeHidden) ShowGauge(false);
  }
}

void Weather::OnLoaderMessage(wxThreadEvent& event) {
  const TimerTick::Hold hold(Tick);
  CurrentSupportUi().ShowMessage(event.GetString(), wxS("Error"), wxOK | wxCENTRE, this);
}

void Weather::OnLoaderLists(wxThreadEvent&) { TakeLoadedLists(); }

void Weather::ApplyWriterProgress() {
  if (Writer == nullptr) return;  // an event that was still on its way at shut-down
  for (const WriterProgress& update : Writer->Progress().TakeUnread()) {
    if (update.Changes(WriterProgress::kLabel)) ProgressLabel->SetLabel(update.Label);
    if (update.Changes(WriterProgress::kGauge)) {
      const int range = std::max(update.GaugeRange, 0);
      ProgressGauge->SetRange(range);
      ProgressGauge->SetValue(std::clamp(update.GaugeValue, 0, range));
    }
    if (update.Changes(WriterProgress::kGaugeShown)) ShowGauge(update.GaugeShown);
    if (update.Changes(WriterProgress::kStatus)) SetStatusText(update.Status, kLinkField);
    if (update.Changes(WriterProgress::kLog)) Log->WriteToFile(update.LogText);
    if (update.Changes(WriterProgress::kSendItem)) {
      MainMenu->Enable(kIdSendWxToFs, update.SendItemEnabled);
      if (update.SendItemEnabled) KeepPictureAfterSend();
    }
  }
}

void Weather::OnShow(wxShowEvent& event) {
  event.Skip();
  if (!event.IsShown() || SizeChecked) return;
  SizeChecked = true;
  // GTK knows the real heights of the menu bar and the fields only once the window is shown.
  CallAfter(&Weather::KeepUsableSize);
}

wxSize Weather::SmallestUsableSize() {
  InvalidateBestSize();
  wxSize smallest = GetBestSize();
  // Status fields 2 and 3 share what the two fixed fields leave: the link's version text must
  // show whole in its half.
  const int linkText = StatusBar->GetTextExtent(kLinkTextSample).x + kStatusFieldPadding;
  const int fixedFields =
      StatusBar->GetStatusWidth(kCountdownField) + StatusBar->GetStatusWidth(kCountsField);
  smallest.x = std::max(smallest.x, fixedFields + 2 * linkText + kSizeGripWidth);
  return smallest;
}

void Weather::KeepUsableSize() {
  const wxSize best = SmallestUsableSize();
  // Nor can the user make it smaller.
  SetSizeHints(best);
  const wxSize now = GetSize();
  if (now.x < best.x || now.y < best.y) SetSize(wxSize(std::max(now.x, best.x), std::max(now.y, best.y)));
}

void Weather::ShowGauge(bool shown) {
  if (ProgressGauge->IsShown() == shown) return;
  ProgressGauge->Show(shown);
  Panel->Layout();
}
