#pragma once

#include <wx/timer.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/frame_placement.h"
#include "app/nubivane_frame.h"
#include "cycle/conversion_run.h"
#include "cycle/cycle_log.h"
#include "cycle/timer_tick.h"
#include "options/option_data.h"
#include "reports/metar.h"
#include "reports/synop_record.h"
#include "reports/upperair_records.h"
#include "support/gui/gui_support_ui.h"

class ClLog;
class ClOption;
class FSUIPCWorker;
class InitWeather;
class wxThreadEvent;

// The id of the one-second timer.
constexpr int kTimerId = 20001;

// The main window's logic: it holds the state of the weather service (texts, lists, the two
// worker threads, the options, the log and the timer). Its constructor is the program's
// start-up, its destructor the shut-down. The threads report through posted events, which this
// window alone applies to its controls.
class Weather : public NubivaneFrame {
 public:
  // The id is not used: the frame's id is always "any".
  Weather(wxWindow* parent, wxWindowID id);
  ~Weather() override;

  // The loader's lists of its last finished split, if it published any since: they replace the
  // lists below. GUI thread; true when new lists came.
  bool TakeLoadedLists();

  // The dialogs and what the user asks for (weather_dialogs.cpp). "Option": the options dialog,
  // shown modally; how it ends does not matter.
  void OnOption(wxCommandEvent& event) override;
  // "Check for updates", and at start-up with the event string "startup".
  void OnCheckUpdates(wxCommandEvent& event) override;
  // Enter in the ICAO field: the raw report of that station on top of the list, its weather and
  // its upper air shown.
  void OnEnterICAO(wxCommandEvent& event) override;

  // The update cycle (weather_cycle.cpp). The download step: the feeds the options choose, then
  // the split is asked for.
  void OnDownloadWX(wxCommandEvent& event) override;
  // The send step: the stations around the aircraft, converted and handed to the writer.
  void OnSendWXToFS(wxCommandEvent& event) override;
  // One URL whole, appended to text, its progress on the label and the gauge: 0 when the resource
  // arrived whole, 2 for a scheme no protocol serves, 1 for every other failure.
  int Download(const wxString& url, wxString* text, const wxString& caption);
  // The same, refused beyond maxBytes instead of the feeds' cap.
  int Download(const wxString& url, wxString* text, const wxString& caption, std::uint64_t maxBytes);
  // The chosen stations into records for the writer; false when none were chosen.
  bool ConvertWXToNewWeather();
  bool IsClosing() const { return Closing; }
  // A blocking step on the GUI thread (a box, the update check) holds the timer tick while the
  // returned object lives: the library dispatches timer events inside such steps.
  [[nodiscard]] TimerTick::Hold HoldTick() { return TimerTick::Hold(Tick); }

  // What ShowStation does with a report that does not decode.
  enum class FailedDecode {
    kShowAnyway,  // the nearest station: shown as far as it decoded
    kLogAndStop,  // the ICAO entry: a log line, and the controls stay as they are
  };
  // The station decoded, with its upper air and its SYNOP as the options ask, in the report text
  // and the table (weather_display.cpp).
  void ShowStation(MetarRecord& station, FailedDecode failed);
  // The decoded station in the report text, its missing lookups on the label.
  void ShowMetar(MetarRecord* metar);
  // The station's upper-air profile in the table.
  void ShowUpperair(UpperairRecord* upperair, MetarRecord* metar);

  // The downloaded texts (GUI thread; the loader gets copies with its request).
  wxString MetarText;
  wxString UpperairText;
  wxString SynopText;
  bool Downloaded = false;  // a download has begun since start
  bool UseTtbb = false;     // identify and merge TTBB parts (never set)
  bool UsePpbb = false;     // identify and merge PPBB parts (never set)
  std::unique_ptr<wxTimer> Timer;
  OptionData Options;          // read from "Nubivane.ini" at start, written back at the end
  ClOption* Option = nullptr;  // the options dialog, for the whole run; it edits Options
  std::unique_ptr<ClMetar> Metar;
  InitWeather* Loader = nullptr;
  FSUIPCWorker* Writer = nullptr;
  std::unique_ptr<ClLog> Log;
  // The lists of identified reports. Only the GUI thread touches them, so it may decode in place.
  std::vector<MetarRecord> Stations;
  std::vector<MetarRecord> Selection;
  std::vector<UpperairRecord> Ttaa;
  std::vector<UpperairPart> Ttbb;
  std::vector<UpperairPart> Ppbb;
  std::vector<SynopRecord> Synops;

 private:
  void CheckLastRun();
  // For a wait of the start-up outside the event loop: serves a signal that came, then says
  // whether the wait may go on (not once the window is closing).
  bool GoOnWaiting();
  void PlaceFromOptions();
  void ShowFileVersion();
  void StartLoader();
  void StartWriter();
  void StopThreads();
  void BindWorkerEvents();

  class CycleHost;
  class FeedHost;

  void OnTimer(wxTimerEvent& event);
  void ShowNearestStation();
  void ApplyDownloadProgress(const wxString& caption, std::uint64_t receivedBytes, std::uint64_t sizeBytes,
                             bool sizeKnown);
  ReportLookupLists LookupLists();
  LogLine CycleLog();
  LogLine DialogLog() override { return CycleLog(); }
  // With NUBIVANE_SCREENSHOT naming a file, the window's picture goes there once a send has ended
  // and the nearest station has been shown after it.
  void KeepPictureAfterSend();
  void KeepPicture();
  // The loader's newest progress on the controls, unless it has been shown already.
  void ApplyLoaderProgress();
  void OnLoaderMessage(wxThreadEvent& event);
  void OnLoaderLists(wxThreadEvent& event);
  // The writer's updates not applied yet, each in its order.
  void ApplyWriterProgress();

  void ShowGauge(bool shown);
  void OnShow(wxShowEvent& event);
  void KeepUsableSize();
  wxSize SmallestUsableSize();

  // The close: every request (the close box, a signal, an accepted update, a start-up without
  // airports) ends the modal loops that run; the window is destroyed only once no step and no
  // modal loop is on the stack any more.
  void OnCloseWindow(wxCloseEvent& event);
  void OnIdle(wxIdleEvent& event);
  void BeginClosing();
  void CloseWhenQuiet();

  GuiSupportUi SupportWindows;
  SupportUi* PreviousSupportUi = nullptr;
  bool StartingUp = true;        // the constructor runs
  bool EndAfterStartUp = false;  // no airports: the start-up runs to its end, then the window goes
  bool Closing = false;          // a close was asked for: no download, box or send starts any more
  bool DestroyAsked = false;
  wxTimer CloseCheck;  // looks again while a step still runs
  bool SizeChecked = false;
  FrameGeometryKeeper Geometry;
  TimerTick Tick;
  wxTimer PictureTimer;
  std::optional<wxString> PicturePath;
  bool PictureAfterSend = false;
};
