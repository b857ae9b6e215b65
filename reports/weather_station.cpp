#include "reports/weather_station.h"

#include "base/units.h"
#include "reports/report_text.h"

namespace {

constexpr std::size_t kMinStationLineLength = 43;

// Columns of a line; a column past the end of a short line reads as empty, never past the end.
wxString Columns(const wxString& line, std::size_t from, std::size_t width) {
  if (from >= line.length()) return wxString();
  return line.Mid(from, width);
}

float ReadAngle(const wxString& line, std::size_t degreesAt, std::size_t degreesWidth,
                std::size_t hemisphereAt, char positive) {
  const double degrees = ReadDecimalNumber(Columns(line, degreesAt, degreesWidth));
  const double minutes = ReadDecimalNumber(Columns(line, degreesAt + degreesWidth, 2));
  const double value = degrees + minutes / 60.0;
  const bool isPositive = hemisphereAt < line.length() && line[hemisphereAt] == positive;
  return static_cast<float>(isPositive ? value : -value);
}

}  // namespace

StationEntry ParseStationLine(const wxString& line) {
  StationEntry entry;
  entry.Id = Columns(line, 0, 5);
  entry.Name = Columns(line, 14, 19);
  entry.Latitude = ReadAngle(line, 37, 2, 41, 'N');
  entry.Longitude = ReadAngle(line, 43, 3, 48, 'E');
  const double metres = static_cast<double>(ReadWholeNumber(Columns(line, 50, 4)));
  entry.Elevation = static_cast<std::int32_t>(metres * kFeetPerMetre);  // truncates toward zero
  return entry;
}

std::vector<StationEntry> ClWeatherStation::ParseStations(const wxString& text) {
  std::vector<StationEntry> stations;
  for (const wxString& line : SplitLines(text)) {
    if (line.length() >= kMinStationLineLength) stations.push_back(ParseStationLine(line));
  }
  return stations;
}

ClWeatherStation::ClWeatherStation(const wxString& path) {
  Read = AppendCatalogueFile(path, Text, &Problem);
  Stations = ParseStations(Text);
  Index.Build(Stations);
}

ClWeatherStation::~ClWeatherStation() = default;
