#include <gtest/gtest.h>

#include <cstring>

#include "common/test_paths.h"
#include "reports/report_text.h"
#include "reports/weather_station.h"

namespace {

// A station.dat line built from its columns: id 0-4, name 14-32, lat 37-41, lon 43-48, elev 50-53.
wxString StationLine(const char* id, const char* name, const char* lat, const char* lon, const char* elev) {
  wxString line = wxString::Format("%-5s         %-19s    %s %s %s", id, name, lat, lon, elev);
  return line;
}

struct StationCase {
  const char* lat;
  const char* lon;
  const char* elev;
  float latitude, longitude;
  int elevationFt;
};

TEST(StationLine, ColumnsAndHemispheres) {
  const StationCase cases[] = {
      {"5130N", "00827E", "0100", 51.5f, 8.45f, 328},
      {"5130S", "00027W", "1234", -51.5f, -0.45f, 4048},
      {"5130n", "00827e", "  -2", -51.5f, -8.45f, -6},
      {"xx30N", "00827E", "abcd", 0.5f, 8.45f, 0},
  };
  for (const auto& c : cases) {
    const wxString line = StationLine("10637", "Frankfurt/Main", c.lat, c.lon, c.elev);
    ASSERT_EQ(line.length(), 54u);
    const StationEntry e = ParseStationLine(line);
    EXPECT_EQ(e.Id, "10637");
    EXPECT_EQ(e.Name, "Frankfurt/Main     ");  // trailing blanks kept
    EXPECT_NEAR(e.Latitude, c.latitude, 1e-4) << c.lat;
    EXPECT_NEAR(e.Longitude, c.longitude, 1e-4) << c.lon;
    EXPECT_EQ(e.Elevation, c.elevationFt) << c.elev;
    EXPECT_TRUE(e.Time.empty());
  }
}

TEST(StationLine, ShortLinesNeverReadPastTheirEnd) {
  const wxString full = StationLine("10637", "Frankfurt/Main", "5002N", "00834E", "0111");
  std::vector<StationEntry> all;
  for (std::size_t length = 40; length <= 54; ++length) {
    const auto stations = ClWeatherStation::ParseStations(full.Left(length) + "\n");
    if (length < 43) {
      EXPECT_TRUE(stations.empty()) << length;
      continue;
    }
    ASSERT_EQ(stations.size(), 1u) << length;
    EXPECT_NEAR(stations[0].Latitude, 50.0333f, 1e-3);
  }
  // Missing longitude columns read as no number.
  const auto stations = ClWeatherStation::ParseStations(full.Left(44));
  ASSERT_EQ(stations.size(), 1u);
  EXPECT_NEAR(stations[0].Longitude, 0.0f, 1e-6);
  EXPECT_EQ(stations[0].Elevation, 0);
}

TEST(StationText, LineBreaksDuplicatesAndOrder) {
  const wxString a = StationLine("10637", "Frankfurt/Main", "5002N", "00834E", "0111");
  const wxString b = StationLine("10637", "Duplicate", "1000N", "01000E", "0000");
  const auto stations = ClWeatherStation::ParseStations(a + "\r\n\r\n" + b + "\r" + "short line\n");
  ASSERT_EQ(stations.size(), 2u);
  EXPECT_EQ(wxString(stations[0].Name).Trim(), "Frankfurt/Main");
  EXPECT_EQ(wxString(stations[1].Name).Trim(), "Duplicate");
  EXPECT_TRUE(ClWeatherStation::ParseStations("").empty());
}

// The constructor reads "station.dat" from the working directory.
class ProbeStation : public ClWeatherStation {
 public:
  using ClWeatherStation::FindStation;
  using ClWeatherStation::Stations;
};

TEST(StationFile, ReadFromWorkingDirectoryAndIndexedByFirst) {
  testsupport::ScopedWorkDir dir;
  const wxString a = StationLine("10637", "Frankfurt/Main", "5002N", "00834E", "0111");
  const wxString b = StationLine("10637", "Second", "1000N", "01000E", "0000");
  const wxString c = StationLine("10384", "Berlin", "5228N", "01324E", "0049");
  testsupport::WriteBytes("station.dat", (a + "\n" + b + "\n" + c + "\n").ToStdString());
  ProbeStation station;
  ASSERT_EQ(station.Stations.size(), 3u);
  EXPECT_EQ(station.FindStation("10637"), 0u);
  EXPECT_EQ(station.FindStation("10384"), 2u);
  EXPECT_EQ(station.FindStation("99999"), StationIndex::npos);
}

TEST(StationFile, MissingFileGivesEmptyCatalogue) {
  testsupport::ScopedWorkDir dir;
  ProbeStation station;
  EXPECT_TRUE(station.Stations.empty());
}

struct NumberCase {
  const char* text;
  long long whole;
  double decimal;
};

TEST(ReportNumbers, LeadingDigitsRule) {
  const NumberCase cases[] = {
      {"364", 364, 364},
      {"  -2", -2, -2},
      {"+7x", 7, 7},
      {"", 0, 0},
      {"//", 0, 0},
      {"12abc", 12, 12},
      {"50.0333", 50, 50.0333},
      {"-73.7789,", -73, -73.7789},
      {".5", 0, 0.5},
      {"1.2.3", 1, 1.2},
      {"\xA0"
       "5",
       0, 0},
      {"99999999999999999999999", 0, 1e23},
  };
  for (const auto& c : cases) {
    const wxString text = Latin1ToString(c.text, std::strlen(c.text));
    if (std::string(c.text) != "99999999999999999999999") {
      EXPECT_EQ(ReadWholeNumber(text), c.whole) << c.text;
    }
    EXPECT_NEAR(ReadDecimalNumber(text), c.decimal, 1e-9 * (1 + std::abs(c.decimal))) << c.text;
  }
  EXPECT_GT(ReadWholeNumber("99999999999999999999999"), 0);  // saturates, never wraps negative
}

TEST(ReportText, TrimIsAsciiOnly) {
  wxString text = Latin1ToString(" \t\xA0X", 4);
  TrimLeading(text);
  EXPECT_EQ(text.length(), 2u);
  EXPECT_EQ(text[0].GetValue(), 0xA0u);
  text = Latin1ToString("\x85 X", 3);
  TrimLeading(text);
  EXPECT_EQ(text[0].GetValue(), 0x85u);
}

}  // namespace
