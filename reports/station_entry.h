#pragma once

#include <wx/string.h>

#include <cstdint>

// One catalogue station, as "station.dat" (WMO number) and "airport.dat" (ICAO code) give it.
// Report records hold their station in this form too.
struct StationEntry {
  wxString Id;
  wxString Name;
  float Latitude = 0.0f;       // degrees, north positive
  float Longitude = 0.0f;      // degrees, east positive
  std::int32_t Elevation = 0;  // feet
  wxString Time;               // empty in the catalogues; a report's decoder may set it
};
