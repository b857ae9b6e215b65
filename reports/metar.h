#pragma once

#include <wx/string.h>

#include <vector>

#include "reports/metar_record.h"
#include "reports/station_entry.h"
#include "reports/station_index.h"

// The longest line taken as a METAR report. Real reports stay within a few hundred characters; a
// longer line (an error page or a broken mirror delivered as one line) is refused before any
// pattern runs, so that it cannot hold the loader or the GUI thread.
constexpr std::size_t kMaxMetarLength = 2048;

// The METAR class: the airport catalogue "airport.dat", identification of a report's station in
// it, and the decoder of the report body.
class ClMetar {
 public:
  ClMetar() = default;

  // Appends the catalogue at path (by default "airport.dat" in the working directory). False
  // when the file cannot be opened, or is larger than kMaxCatalogueBytes (then *problem says so);
  // true otherwise, also for a file without usable lines.
  bool LoadAirports(const wxString& path = wxS("airport.dat"), wxString* problem = nullptr);

  // Adds the airports of a catalogue text, as LoadAirports does with the file's content.
  void AddAirports(const wxString& text);

  // Reads the ICAO and time at the start of the raw report and finds the first airport with
  // that ICAO. Writes Icao and Time once they are read, the position, elevation and name once
  // the airport is found. False for a line longer than kMaxMetarLength, with nothing written.
  bool FindMetarStation(MetarRecord* record) const;

  // Decodes the body of the raw report into the weather fields. False for a report longer than
  // kMaxMetarLength, which keeps the defaults.
  bool DecodeMetar(MetarRecord* record);

  const std::vector<StationEntry>& GetAirports() const { return Airports; }

  CloudLayer Layer;

 private:
  wxString AirportText;
  std::vector<StationEntry> Airports;
  StationIndex Index;
};

// Reads one "airport.dat" line; false for a line with fewer than two commas.
bool ParseAirportLine(const wxString& line, StationEntry& entry);
