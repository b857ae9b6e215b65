#pragma once

#include <wx/string.h>

#include <cstdint>
#include <memory>

#include "cycle/loaded_lists.h"
#include "reports/metar.h"
#include "reports/synop.h"
#include "reports/upperair.h"

// The three split steps of the loader: each cuts one downloaded text into reports, identifies each
// report's station in its catalogue and appends the identified ones to a list. Nothing is decoded
// here beyond the station; the GUI thread decodes the stations it shows or sends.

enum class SplitStep { kMetar, kUpperair, kSynop };

// What a split tells the loader while it runs.
class SplitReporter {
 public:
  virtual ~SplitReporter() = default;
  // A step begins: the label "Prepare Weather station. Please wait!" (upper air and SYNOP only).
  virtual void Preparing() = 0;
  // A step has cut its text into count items; the gauge's range.
  virtual void Counted(SplitStep step, int count) = 0;
  // Item number (from 1) of count is done; errors so far.
  virtual void Item(SplitStep step, int number, int count, int errors) = 0;
  // The pause after each item; false when the loader is asked to stop.
  virtual bool AfterItem() = 0;
  // Whether the split may go on, asked without a pause inside the passes over a whole text: false
  // once the loader is asked to stop or the split is abandoned.
  virtual bool KeepGoing() = 0;
  // A step has ended: status field 1 now reads counts.
  virtual void Counts(const wxString& counts) = 0;
  // "airport.dat" could not be read: no METAR report is identified this time. problem: why a
  // file that could be opened was not read (too large), empty otherwise.
  virtual void AirportsMissing(const wxString& problem) = 0;
};

// The progress label of one item, as the loader shows it ("Init Metar 2 from 2, Error:1 ").
wxString SplitItemLabel(SplitStep step, int number, int count, int errors);

class ReportSplit {
 public:
  // The catalogues must outlive the split. airportPath: the METAR step reads it afresh every time.
  ReportSplit(const Upperair& upperair, const ClSynop& synop, wxString airportPath);

  // Which upper-air parts besides TTAA are identified (both off in the program).
  void SetParts(bool useTtbb, bool usePpbb) {
    UseTtbb = useTtbb;
    UsePpbb = usePpbb;
  }

  // The whole split: METAR, upper air, SYNOP, with status field 1 after each step. False when it
  // was stopped, between two items or inside a pass over a text; lists then holds what was
  // identified so far.
  bool Run(const FeedTexts& texts, LoadedLists& lists, SplitReporter& reporter);

  bool InitMetar(const wxString& text, std::vector<MetarRecord>& stations, SplitReporter& reporter);
  bool InitUpperair(const wxString& text, LoadedLists& lists, SplitReporter& reporter) const;
  bool InitSynop(const wxString& text, std::vector<SynopRecord>& synops, SplitReporter& reporter) const;

 private:
  const Upperair& UpperairStations;
  const ClSynop& SynopStations;
  // The airport catalogue as every split needs it: the file is read for every split and parsed
  // again whenever its bytes differ from the last parsed ones; null when it cannot be read (a
  // file too large: *problem says so).
  const ClMetar* Airports(wxString* problem);

  wxString AirportPath;
  std::unique_ptr<ClMetar> AirportCatalogue;
  std::uint64_t AirportDigest = 0;
  bool UseTtbb = false;
  bool UsePpbb = false;
};
