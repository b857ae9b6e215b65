#pragma once

#include <wx/thread.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "cycle/loader_events.h"
#include "cycle/loader_hand_over.h"
#include "cycle/loader_progress.h"
#include "cycle/report_split.h"

class wxEvtHandler;

// The loader thread: sleeps until a download asks for a split, then splits and identifies the
// three texts on its own lists and publishes them. It reports through its sink (the main window)
// by posting events, never by touching a window, and never waits for the GUI thread.
class InitWeather : public wxThread {
 public:
  // Reads the WMO catalogue at stationPath twice, once for the upper-air and once for the SYNOP
  // stations. Every split reads airportPath afresh. sink receives the events of
  // cycle/loader_events.h and must outlive the thread.
  explicit InitWeather(wxEvtHandler* sink, const wxString& stationPath = wxS("station.dat"),
                       const wxString& airportPath = wxS("airport.dat"));
  ~InitWeather() override;

  // Whether "station.dat" was read, for both catalogues.
  bool StationsRead() const { return UpperairStations->CatalogueRead() && SynopStations->CatalogueRead(); }
  // Why "station.dat" was not read when it could be opened (too large); empty otherwise.
  const wxString& StationsProblem() const { return UpperairStations->ReadProblem(); }

  // Before Run: which upper-air parts besides TTAA are identified.
  void SetParts(bool useTtbb, bool usePpbb) { Split.SetParts(useTtbb, usePpbb); }
  // The pause after each item of a split, in milliseconds (0 at start).
  void SetSleep(std::uint32_t ms) { SleepMs.store(ms); }

  // The protocol with the GUI thread: Request, IsBusy, IsReady, ClearReady, TakeLists.
  LoaderHandOver& HandOver() { return Protocol; }
  // The newest progress the loader has offered; the GUI thread takes it on EVT_LOADER_PROGRESS.
  ProgressMailbox& Progress() { return ProgressBox; }

  // Ends every wait and pause at once; the thread then returns before its next item.
  void AskToStop() { Protocol.Stop(); }
  // Asks for the stop as above, then joins (hides wxThread::Delete, which does not join a thread
  // that ended before it looked).
  wxThreadError Delete(ExitCode* rc = nullptr, wxThreadWait waitMode = wxTHREAD_WAIT_DEFAULT);

 protected:
  ExitCode Entry() override;

 private:
  class Reporter;

  wxEvtHandler* Sink;
  std::unique_ptr<Upperair> UpperairStations;
  std::unique_ptr<ClSynop> SynopStations;
  ReportSplit Split;
  std::atomic<std::uint32_t> SleepMs{0};
  LoaderHandOver Protocol;
  ProgressMailbox ProgressBox;
};
