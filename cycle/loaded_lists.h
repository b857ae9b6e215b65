#pragma once

#include <wx/string.h>

#include <vector>

#include "reports/metar_record.h"
#include "reports/synop_record.h"
#include "reports/upperair_records.h"

// The three downloaded texts a split works on. The loader gets its own deep copies, so the GUI
// thread may fill the main window's texts again while a split runs.
struct FeedTexts {
  wxString Metar;
  wxString Upperair;
  wxString Synop;

  FeedTexts Clone() const { return {Metar.Clone(), Upperair.Clone(), Synop.Clone()}; }
};

// The identified reports of one split, in text order.
struct LoadedLists {
  std::vector<MetarRecord> Stations;
  std::vector<UpperairRecord> Ttaa;
  std::vector<UpperairPart> Ttbb;
  std::vector<UpperairPart> Ppbb;
  std::vector<SynopRecord> Synops;
};
