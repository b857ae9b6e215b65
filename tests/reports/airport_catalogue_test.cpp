#include <gtest/gtest.h>

#include "common/test_paths.h"
#include "reports/metar.h"

namespace {

struct AirportCase {
  const char* line;
  bool used;
  const char* id;
  const char* name;
  int elevation;
  float latitude, longitude;
};

TEST(AirportLine, Fields) {
  const AirportCase cases[] = {
      {"EDDF,Frankfurt Main,364,50.0333,8.5706", true, "EDDF", "Frankfurt Main", 364, 50.0333f, 8.5706f},
      {"EDDF,Frankfurt Main,364,50.0333,8.5706,extra,more", true, "EDDF", "Frankfurt Main", 364, 50.0333f,
       8.5706f},
      {"EHAM,Schiphol,-11,52.3,4.7667", true, "EHAM", "Schiphol", -11, 52.3f, 4.7667f},
      {"K1A,Some Field,10,45.1,-75.2", true, "K1A,", "Some Field", 10, 45.1f, -75.2f},
      {"XXXX,,abc,,", true, "XXXX", "", 0, 0.0f, 0.0f},
      {"YYYY,Two commas,", true, "YYYY", "Two commas", 0, 0.0f, 0.0f},
      {"EDDF,only one comma", false, "", "", 0, 0, 0},
      {"no comma at all", false, "", "", 0, 0, 0},
  };
  for (const auto& c : cases) {
    StationEntry e;
    ASSERT_EQ(ParseAirportLine(c.line, e), c.used) << c.line;
    if (!c.used) continue;
    EXPECT_EQ(e.Id, c.id) << c.line;
    EXPECT_EQ(e.Name, c.name) << c.line;
    EXPECT_EQ(e.Elevation, c.elevation) << c.line;
    EXPECT_FLOAT_EQ(e.Latitude, c.latitude) << c.line;
    EXPECT_FLOAT_EQ(e.Longitude, c.longitude) << c.line;
  }
}

struct IdentifyCase {
  const char* raw;
  bool found;
  const char* icao;  // written once read, even when the airport is unknown
  const char* time;
};

TEST(FindMetarStation, HeaderAndFirstEntry) {
  ClMetar metar;
  metar.AddAirports(
      "EDDF,Frankfurt Main,364,50.0333,8.5706\nEDDF,Second entry,1,2,3\r\nKJFK,New York,13,40.64,-73.78\n");
  const IdentifyCase cases[] = {
      {"EDDF 121250Z 27015G25KT 9999 Q1013", true, "EDDF", "121250Z"},
      {"KJFK 121251Z 31008KT 10SM A3012", true, "KJFK", "121251Z"},
      {"LOWW 121250Z 27015KT 9999 Q1013", false, "LOWW", "121250Z"},
      {"EDDF 121250Z 27015KT", true, "EDDF", "121250Z"},  // exactly 20 characters
      {"EDDF 121250Z 27015K", false, "", ""},             // 19 characters: nothing written
      {" EDDF 121250Z 27015G25KT", false, "", ""},
      {"eddf 121250Z 27015G25KT 9999", false, "", ""},
      {"EDDF  121250Z 27015G25KT 9999", false, "", ""},
      {"EDDF 121250 27015G25KT 9999 Q1013", false, "", ""},
  };
  for (const auto& c : cases) {
    MetarRecord record;
    record.Raw = c.raw;
    EXPECT_EQ(metar.FindMetarStation(&record), c.found) << c.raw;
    EXPECT_EQ(record.Icao, c.icao) << c.raw;
    EXPECT_EQ(record.Time, c.time) << c.raw;
    if (c.found && record.Icao == "EDDF") {
      EXPECT_EQ(record.Name, "Frankfurt Main");
      EXPECT_EQ(record.Elevation, 364);
      EXPECT_NEAR(record.Latitude, 50.0333, 1e-4);
      EXPECT_NEAR(record.Longitude, 8.5706, 1e-4);
    }
  }
}

TEST(LoadAirports, WorkingDirectoryFileAndMissingFile) {
  testsupport::ScopedWorkDir dir;
  {
    ClMetar metar;
    EXPECT_FALSE(metar.LoadAirports());
    EXPECT_TRUE(metar.GetAirports().empty());
  }
  testsupport::WriteBytes("airport.dat", "EDDF,Frankfurt \xE4,364,50.0333,8.5706\n");
  ClMetar metar;
  ASSERT_TRUE(metar.LoadAirports());
  ASSERT_EQ(metar.GetAirports().size(), 1u);
  EXPECT_EQ(metar.GetAirports()[0].Name.Last().GetValue(), 0xE4u);  // bytes read as Latin-1
  testsupport::WriteBytes("airport.dat", "");
  ClMetar empty;
  EXPECT_TRUE(empty.LoadAirports());
  EXPECT_TRUE(empty.GetAirports().empty());
}

}  // namespace
