#pragma once

#include <string>
#include <vector>

#include "common/test_paths.h"
#include "reports/bulletin_split.h"
#include "reports/report_text.h"
#include "reports/upperair_records.h"

// The TEMP fixtures and the small catalogue that holds their stations.
namespace upperairtest {

inline const char* kCatalogue = "station_catalogue_small.dat";

inline wxString CataloguePath() { return wxString(testsupport::FixturePath(kCatalogue)); }

inline wxString Fixture(const char* name) {
  const std::string bytes = testsupport::ReadBytes(testsupport::FixturePath(name));
  return Latin1ToString(bytes.data(), bytes.size());
}

// The piece of a fixture that holds word and station, e.g. ("TTAA", "72201").
inline wxString Piece(const char* fixture, const char* word, const char* station) {
  for (const wxString& piece : SplitBulletinPieces(Fixture(fixture))) {
    if (piece.Contains(word) && piece.Contains(station)) return piece;
  }
  return wxString();
}

inline UpperLevel Level(int pressure, int height, float temperature, float dewPoint, int direction,
                        int speed) {
  UpperLevel level;
  level.Pressure = static_cast<std::int16_t>(pressure);
  level.Height = height;
  level.Temperature = temperature;
  level.DewPoint = dewPoint;
  level.Direction = static_cast<std::uint16_t>(direction);
  level.Speed = static_cast<std::uint16_t>(speed);
  return level;
}

}  // namespace upperairtest

// Compared field by field, temperatures to a hundredth of a degree.
inline bool operator==(const UpperLevel& a, const UpperLevel& b) {
  const auto close = [](float x, float y) { return x == y || (x - y < 0.01f && y - x < 0.01f); };
  return a.Pressure == b.Pressure && a.Height == b.Height && close(a.Temperature, b.Temperature) &&
         close(a.DewPoint, b.DewPoint) && a.Direction == b.Direction && a.Speed == b.Speed;
}

inline void PrintTo(const UpperLevel& l, std::ostream* os) {
  *os << "{" << l.Pressure << " hPa, " << l.Height << " m, " << l.Temperature << "/" << l.DewPoint << " C, "
      << l.Direction << " deg " << l.Speed << " kt}";
}
