#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "base/units.h"
#include "reports/station_entry.h"

// Missing-value markers of the upper-air records. A reader passes over a value that holds one.
constexpr std::int32_t kMissingHeightM = 99999;
constexpr float kMissingTemperatureC = 999.0f;  // temperature, dew point and humidity
constexpr std::uint16_t kMissingWind = 999;     // direction and speed
constexpr std::uint16_t kMaxValidDirectionDeg = kDegreesPerTurn;
constexpr std::int16_t kNoMaxWindPressure = 9999;  // UpperairRecord::MaxWind.Pressure: none reported

inline bool IsMissing(float value) { return value >= kMissingTemperatureC; }
inline bool HasWind(std::uint16_t direction) { return direction <= kMaxValidDirectionDeg; }

// One level of a sounding.
struct UpperLevel {
  std::int16_t Pressure = 0;    // hPa; 0 = no level
  std::int32_t Height = 0;      // geopotential metres as reported (1000 hPa may be negative); 0 for
                                // the surface entry; kMissingHeightM when not reported
  float Temperature = 0.0f;     // degrees Celsius; kMissingTemperatureC when not reported
  float DewPoint = 0.0f;        // degrees Celsius; kMissingTemperatureC when not reported
  std::uint16_t Direction = 0;  // degrees true, 0-360; kMissingWind when not reported
  std::uint16_t Speed = 0;      // knots; kMissingWind when not reported
  float Humidity = 0.0f;  // percent, set by CalcHumidity; kMissingTemperatureC when it cannot be computed
};

// One TTAA part: surface, standard isobaric levels, tropopause, maximum wind.
struct UpperairRecord {
  StationEntry Station;
  // The standard levels in report order after DecodeTTAA; after MergeUpperair the whole profile,
  // highest pressure first.
  std::vector<UpperLevel> Levels;
  UpperLevel Surface;     // 99PPP and its two groups
  UpperLevel Tropopause;  // 88PPP; Pressure 0 when the report gives none
  UpperLevel MaxWind;     // 77PPP or 66PPP; Pressure kNoMaxWindPressure when the report gives none
  wxString Raw;           // the bulletin part as cut at "=", unchanged
};

// One TTBB (significant temperature levels) or PPBB (winds) part.
struct UpperairPart {
  StationEntry Station;
  std::vector<UpperLevel> Levels;  // significant levels after DecodeTTBB; none for PPBB
  wxString Raw;
};
