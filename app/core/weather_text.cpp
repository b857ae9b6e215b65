#include "app/core/weather_text.h"

#include <cstdint>

#include "base/units.h"

namespace {

constexpr std::uint16_t kHighestGustShownKt = 149;
constexpr std::int16_t kHighestLevelPressureHpa = 1199;
constexpr std::int16_t kHighestTropopausePressureHpa = 499;
const wxString kNoValue = wxS("--");

// The decoder's 16-bit wind words read as signed numbers: 65535 (variable, none) is -1.
int Signed16(std::uint16_t word) { return static_cast<std::int16_t>(word); }

// A north wind is reported as 360; every direction up to it is a real one.
bool IsShownDirection(int degrees) { return degrees >= 0 && degrees <= kDegreesPerTurn; }

// Whole nautical miles of a distance in whole kilometres; -1 (no station) stays -1.
int WholeNauticalMiles(std::int32_t km) {
  if (km < 0) return -1;
  return static_cast<int>(km / kKmPerNauticalMile);
}

wxString CoverName(std::uint8_t cover) {
  switch (cover) {
    case 0:
      return wxS("Sky Clear");
    case 1:
      return wxS("Few");
    case 2:
      return wxS("Scattered");
    case 3:
      return wxS("Broken");
    case 4:
      return wxS("Overcast");
    default:
      return wxString();
  }
}

wxString WindLines(const MetarRecord& metar) {
  const int direction = Signed16(metar.WindDirection);
  const wxString speed = wxString::Format(wxS("Wind speed: %ikt\r\n"), int{metar.WindSpeed});
  wxString lines;
  if (IsShownDirection(direction)) {
    lines = wxString::Format(wxS("Wind direction: %i\u00B0\r\n"), direction) + speed;
  } else if (direction == -1) {
    lines = wxS("Wind direction: variable\r\n") + speed;
  }
  const int from = Signed16(metar.VariableFrom);
  const int to = Signed16(metar.VariableTo);
  // A sector that starts at 0 degrees is not shown.
  if (from > 0 && to >= 0 && to <= kDegreesPerTurn) {
    lines += wxString::Format(wxS("Wind direction variable: %i\u00B0 - %i\u00B0\r\n"), from, to) + speed;
  }
  if (metar.WindGust >= 1 && metar.WindGust <= kHighestGustShownKt) {
    lines += wxString::Format(wxS("Guest up to: %ikt\r\n"), int{metar.WindGust});
  }
  return lines;
}

// A direction turned by the display's turn, folded into 0-359 however large the turn is.
int Turned(int degrees, int turn) {
  const int sum = (degrees + turn) % kDegreesPerTurn;
  return sum < 0 ? sum + kDegreesPerTurn : sum;
}

wxString DirectionCell(std::uint16_t direction, int turn) {
  if (!HasWind(direction)) return kNoValue;
  return wxString::Format(wxS("%i\u00B0"), Turned(direction, turn));
}

wxString SpeedCell(std::uint16_t speed) {
  if (speed == kMissingWind) return kNoValue;
  return wxString::Format(wxS("%i kt"), int{speed});
}

wxString PressureCell(std::int16_t pressure) { return wxString::Format(wxS("%i mb"), int{pressure}); }

wxString CelsiusCell(float celsius) { return wxString::Format(wxS("%.1f \u00B0C"), double{celsius}); }

// Temperature and dew point are shown together or not at all.
void SetTemperatureCells(UpperairRow& row, const UpperLevel& level, bool withHumidity) {
  if (IsMissing(level.Temperature) || IsMissing(level.DewPoint)) {
    row[4] = row[5] = kNoValue;
    if (withHumidity) row[6] = kNoValue;
    return;
  }
  row[4] = CelsiusCell(level.Temperature);
  row[5] = CelsiusCell(level.DewPoint);
  if (withHumidity) {
    row[6] = IsMissing(level.Humidity) ? kNoValue : wxString::Format(wxS("%.1f"), double{level.Humidity});
  }
}

// The table leaves out levels without a wind or with a temperature of exactly 0.0: what the
// profile holds there is no measurement.
bool IsShownLevel(const UpperLevel& level) {
  return level.Pressure > 0 && level.Pressure <= kHighestLevelPressureHpa && level.Direction != 0 &&
         level.Speed != 0 && level.Temperature != 0.0f && level.DewPoint != 0.0f;
}

// The sounding's heights are above sea level already; only the surface row, at height 0, stands
// for the station itself and shows its elevation.
wxString HeightCell(const UpperLevel& level, const StationEntry& station) {
  if (level.Height == kMissingHeightM) return kNoValue;
  if (level.Height == 0) return wxString::Format(wxS("%i ft"), int{station.Elevation});
  return wxString::Format(wxS("%.0f ft"), level.Height * kFeetPerMetre);
}

// The surface row shows the wind the METAR reports at the station.
void SetSurfaceWindCells(UpperairRow& row, const MetarRecord& metar) {
  const int direction = Signed16(metar.WindDirection);
  if (direction == -1) {
    row[2] = wxS("VRB");
  } else if (IsShownDirection(direction)) {
    row[2] = wxString::Format(wxS("%i\u00B0"), direction);
  } else {
    row[2] = kNoValue;
  }
  row[3] = wxString::Format(wxS("%i kt"), int{metar.WindSpeed});
}

UpperairRow LevelRow(const UpperLevel& level, const UpperairRecord& sounding, const MetarRecord& metar,
                     int turn) {
  UpperairRow row;
  row[0] = HeightCell(level, sounding.Station);
  row[1] = PressureCell(level.Pressure);
  if (level.Height == 0) {
    SetSurfaceWindCells(row, metar);
  } else {
    row[2] = DirectionCell(level.Direction, turn);
    row[3] = SpeedCell(level.Speed);
  }
  SetTemperatureCells(row, level, true);
  return row;
}

// The maximum wind and the tropopause: a name in place of the height, then pressure and wind.
UpperairRow NamedLevelRow(const wxString& name, const UpperLevel& level, int turn) {
  UpperairRow row;
  row[0] = name;
  row[1] = PressureCell(level.Pressure);
  row[2] = DirectionCell(level.Direction, turn);
  row[3] = SpeedCell(level.Speed);
  return row;
}

// Every maximum wind the sounding carries, jets of 200 kt and more included.
bool HasMaxWind(const UpperLevel& wind) {
  return wind.Pressure > 0 && wind.Pressure <= kHighestLevelPressureHpa && HasWind(wind.Direction) &&
         wind.Speed != kMissingWind;
}

bool HasTropopause(const UpperLevel& tropopause) {
  return tropopause.Pressure > 0 && tropopause.Pressure <= kHighestTropopausePressureHpa &&
         HasWind(tropopause.Direction);
}

}  // namespace

wxString FormatMetarText(const MetarRecord& metar) {
  wxString text;
  text += wxS("ICAO: ") + metar.Icao + wxS("\r\n");
  text += wxS("Name: ") + metar.Name + wxS("\r\n");
  text += wxS("Time: ") + metar.Time + wxS("\r\n");
  text += wxString::Format(wxS("Elevation: %i ft\r\n"), int{metar.Elevation});
  text += WindLines(metar);
  text += wxString::Format(wxS("Visibility: %i m\r\n"), int{metar.Visibility});
  text += wxS("Weather phenomena: ") + metar.PresentWeather + wxS("\r\n");
  for (const CloudLayer& layer : metar.Clouds) {
    text +=
        wxS("Clouds: ") + CoverName(layer.Cover) + wxString::Format(wxS(" at %i ft\r\n"), int{layer.Base});
  }
  text +=
      wxString::Format(wxS("Temp/Dew: %i\u00B0C/%i\u00B0C\r\n"), int{metar.Temperature}, int{metar.DewPoint});
  text += wxString::Format(wxS("Atmospheric pressure: %i hPa\r\n"), int{metar.Pressure});
  text += wxS("WindStation: ") + metar.UpperairStation + wxS("\r\n");
  text += wxString::Format(wxS("Dist. Windstation: %i NM\r\n"), WholeNauticalMiles(metar.UpperairDistance));
  text += wxS("Synopstation: ") + metar.SynopStation + wxS("\r\n");
  text += wxString::Format(wxS("Dist. Synopstation: %i NM\r\n"), WholeNauticalMiles(metar.SynopDistance));
  return text;
}

wxString MissingStationNotes(const MetarRecord& metar) {
  wxString notes;
  if (metar.UpperairDistance == -1) notes += wxS(" No Wind station ");
  if (metar.SynopDistance == -1) notes += wxS(" No Synop station ");
  return notes;
}

int UpperairTurn(const UpperairRecord& sounding, const MetarRecord& metar, bool alignUpperWinds) {
  const UpperLevel& surface = sounding.Surface;
  if (!alignUpperWinds || surface.Speed == 0 || surface.Speed == kMissingWind ||
      !HasWind(surface.Direction)) {
    return 0;
  }
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(metar.WindDirection - surface.Direction));
}

std::vector<UpperairRow> BuildUpperairRows(const UpperairRecord& sounding, const MetarRecord& metar,
                                           bool alignUpperWinds) {
  const int turn = UpperairTurn(sounding, metar, alignUpperWinds);
  std::vector<UpperairRow> rows;
  for (const UpperLevel& level : sounding.Levels) {
    if (IsShownLevel(level)) rows.push_back(LevelRow(level, sounding, metar, turn));
  }
  if (HasMaxWind(sounding.MaxWind)) {
    UpperairRow row = NamedLevelRow(wxS("max Wind"), sounding.MaxWind, turn);
    row[4] = row[5] = kNoValue;
    rows.push_back(row);
  }
  if (HasTropopause(sounding.Tropopause)) {
    UpperairRow row = NamedLevelRow(wxS("tropopause"), sounding.Tropopause, turn);
    SetTemperatureCells(row, sounding.Tropopause, false);
    rows.push_back(row);
  }
  return rows;
}
