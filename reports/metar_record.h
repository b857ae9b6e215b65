#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

// One cloud layer of a METAR report.
struct CloudLayer {
  std::uint8_t Cover = 0;  // 1 FEW, 2 SCT, 3 BKN, 4 OVC or VV; 0 sky clear (never stored by the decoder)
  std::int32_t Base = 0;   // feet above the station (vertical visibility for VV)
  wxString Type;           // "TCU", "CB" or empty
};

// One METAR station: the raw report, its identification and the decoded weather. Every field
// starts defined, so a record whose decode failed still shows sane values.
struct MetarRecord {
  wxString Raw;
  wxString Icao;
  wxString Name;
  wxString Time;                    // "ddhhmmZ"
  std::int32_t Elevation = 0;       // feet
  double Latitude = 0.0;            // degrees, north positive
  double Longitude = 0.0;           // degrees, east positive
  std::uint16_t WindDirection = 0;  // degrees; 65535 for VRB
  std::uint16_t WindSpeed = 0;      // knots
  std::uint16_t WindGust = 0;       // knots; 0 for no gust
  std::uint16_t VariableFrom = 65535;
  std::uint16_t VariableTo = 65535;
  std::uint16_t Visibility = 0;   // metres; 9999 for CAVOK
  std::int32_t Temperature = 15;  // degrees Celsius
  std::int32_t DewPoint = 5;
  std::int32_t Pressure = 1013;  // QNH, hPa
  std::vector<CloudLayer> Clouds;
  wxString PresentWeather;     // the groups as reported, each followed by a blank
  std::uint8_t Intensity = 3;  // 1 light, 3 moderate, 4 heavy
  wxString UpperairStation;
  std::int32_t UpperairDistance = -1;  // whole km; -1 for none
  wxString SynopStation;
  std::int32_t SynopDistance = -1;  // whole km; -1 for none
  std::int32_t Distance = 0;        // whole nautical miles from the aircraft
};

// Markers of the decoded record.
constexpr std::uint16_t kVariableWindDirection = 65535;
constexpr std::uint16_t kNoVariableSector = 65535;
constexpr std::uint16_t kUnrestrictedVisibilityM = 9999;
