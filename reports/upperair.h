#pragma once

#include <wx/string.h>

#include "reports/upperair_records.h"
#include "reports/weather_station.h"

class ReportPattern;

// The upper-air station class: identifies the reporting station of a TEMP part (TTAA, TTBB or
// PPBB, each "MiMiMjMj YYGGI IIiii") in "station.dat".
class Upperair : private ClWeatherStation {
 public:
  explicit Upperair(const wxString& path = wxS("station.dat")) : ClWeatherStation(path) {}
  ~Upperair() override = default;
  using ClWeatherStation::CatalogueRead;
  using ClWeatherStation::ReadProblem;

  // True when the part (of at least 20 characters) holds its header and the station IIiii is in
  // the catalogue; then Station is the first catalogue entry with that number. Nothing else of
  // the record is touched.
  bool FindTTAAStation(UpperairRecord* record) const;
  bool FindTTBBStation(UpperairPart* part) const;
  bool FindPPBBStation(UpperairPart* part) const;

 private:
  bool Identify(const wxString& raw, const ReportPattern& header, StationEntry* station) const;
};
