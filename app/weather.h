#pragma once

#include <wx/timer.h>

#include <memory>
#include <vector>

#include "app/nubivane_frame.h"
#include "options/option_data.h"
#include "reports/metar.h"
#include "reports/synop_record.h"
#include "reports/upperair_records.h"
#include "support/gui/gui_support_ui.h"

class ClLog;
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

  // The downloaded texts (GUI thread; the loader gets copies with its request).
  wxString MetarText;
  wxString UpperairText;
  wxString SynopText;
  bool Downloaded = false;  // a download has begun since start
  bool UseTtbb = false;     // identify and merge TTBB parts (never set)
  bool UsePpbb = false;     // identify and merge PPBB parts (never set)
  std::unique_ptr<wxTimer> Timer;
  OptionData Options;  // read from "Nubivane.ini" at start, written back at the end
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
  void PlaceFromOptions();
  void ShowFileVersion();
  void StartLoader();
  void StartWriter();
  void StopThreads();
  void BindWorkerEvents();

  void OnTimer(wxTimerEvent& event);
  void OnLoaderProgress(wxThreadEvent& event);
  void OnLoaderMessage(wxThreadEvent& event);
  void OnLoaderLists(wxThreadEvent& event);
  void OnWriterLabel(wxThreadEvent& event);
  void OnWriterGauge(wxThreadEvent& event);
  void OnWriterGaugeShown(wxThreadEvent& event);
  void OnWriterStatus(wxThreadEvent& event);
  void OnWriterSendItem(wxThreadEvent& event);

  void ShowGauge(bool shown);
  void OnShow(wxShowEvent& event);
  void KeepUsableSize();
  wxSize SmallestUsableSize();

  GuiSupportUi SupportWindows;
  SupportUi* PreviousSupportUi = nullptr;
  bool Closing = false;  // the window asked for its own deletion during start-up
  bool SizeChecked = false;

  wxDECLARE_EVENT_TABLE();
};
