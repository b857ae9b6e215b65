#pragma once

#include <wx/string.h>

#include <vector>

#include "reports/station_entry.h"
#include "reports/station_index.h"

// The WMO station catalogue "station.dat": fixed columns, one station a line. Base of the SYNOP
// and upper-air station classes, which each read the file when they are constructed.
class ClWeatherStation {
 public:
  // Reads the catalogue at path; the program always passes the default, "station.dat" in the
  // working directory. A file that cannot be opened, or is larger than kMaxCatalogueBytes, gives
  // an empty catalogue.
  explicit ClWeatherStation(const wxString& path = wxS("station.dat"));
  virtual ~ClWeatherStation();

  // Whether the file could be read whole (an empty catalogue may also be an empty file).
  bool CatalogueRead() const { return Read; }
  // Why a file that could be opened was not read (it is too large); empty otherwise.
  const wxString& ReadProblem() const { return Problem; }

  // The same reading from any text; the constructor feeds it the file's content.
  static std::vector<StationEntry> ParseStations(const wxString& text);

 protected:
  // Position of the first station with this WMO number in file order, or StationIndex::npos.
  std::size_t FindStation(const wxString& id) const { return Index.Find(id); }

  wxString Text;
  bool Read = false;
  wxString Problem;
  std::vector<StationEntry> Stations;
  StationIndex Index;
};

// Reads one "station.dat" line (at least 43 characters); missing columns read as 0.
StationEntry ParseStationLine(const wxString& line);
