#include "app/core/weather_text.h"

#include <gtest/gtest.h>
#include <wx/tokenzr.h>

#include <functional>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "common/upper_level.h"
#include "reports/metar.h"
#include "reports/ttaa_decoder.h"
#include "reports/upperair.h"
#include "reports/upperair_profile.h"

namespace {

std::vector<std::string> Lines(const wxString& text) {
  std::vector<std::string> lines;
  wxStringTokenizer parts(text, wxS("\r\n"), wxTOKEN_STRTOK);
  while (parts.HasMoreTokens()) lines.push_back(parts.GetNextToken().utf8_string());
  return lines;
}

// The lines between the elevation and the visibility: the wind as the text shows it.
std::vector<std::string> WindBlock(const MetarRecord& metar) {
  std::vector<std::string> block;
  bool inside = false;
  for (const std::string& line : Lines(FormatMetarText(metar))) {
    if (line.rfind("Visibility:", 0) == 0) break;
    if (inside) block.push_back(line);
    if (line.rfind("Elevation:", 0) == 0) inside = true;
  }
  return block;
}

// A row as the table shows it, cells between bars.
std::string RowText(const UpperairRow& row) {
  std::string text;
  for (int i = 0; i < kUpperairColumns; ++i) text += (i ? " | " : "") + row[i].utf8_string();
  return text;
}

std::vector<std::string> RowTexts(const UpperairRecord& sounding, const MetarRecord& metar, bool align) {
  std::vector<std::string> texts;
  for (const UpperairRow& row : BuildUpperairRows(sounding, metar, align)) texts.push_back(RowText(row));
  return texts;
}

MetarRecord Wind(std::uint16_t direction, std::uint16_t speed, std::uint16_t gust = 0,
                 std::uint16_t from = kNoVariableSector, std::uint16_t to = kNoVariableSector) {
  MetarRecord metar;
  metar.WindDirection = direction;
  metar.WindSpeed = speed;
  metar.WindGust = gust;
  metar.VariableFrom = from;
  metar.VariableTo = to;
  return metar;
}

struct WindCase {
  const char* what;
  MetarRecord metar;
  std::vector<std::string> lines;
};

TEST(MetarText, WindLinesAsTheReportGivesThem) {
  const WindCase cases[] = {
      {"wind, gust and sector, in this order",
       Wind(270, 12, 25, 240, 300),
       {"Wind direction: 270°", "Wind speed: 12kt", "Wind direction variable: 240° - 300°",
        "Wind speed: 12kt", "Guest up to: 25kt"}},
      {"variable wind", Wind(kVariableWindDirection, 3), {"Wind direction: variable", "Wind speed: 3kt"}},
      {"a north wind is reported as 360", Wind(360, 10), {"Wind direction: 360°", "Wind speed: 10kt"}},
      {"calm", Wind(0, 0), {"Wind direction: 0°", "Wind speed: 0kt"}},
      {"a direction no report gives shows no wind", Wind(999, 10), {}},
      {"a gust of 150 kt is no gust", Wind(90, 20, 150), {"Wind direction: 90°", "Wind speed: 20kt"}},
      {"the highest gust shown",
       Wind(90, 20, 149),
       {"Wind direction: 90°", "Wind speed: 20kt", "Guest up to: 149kt"}},
      {"a sector that starts at 0 is not shown",
       Wind(45, 8, 0, 0, 90),
       {"Wind direction: 45°", "Wind speed: 8kt"}},
      {"a sector that ends in the north",
       Wind(330, 8, 0, 300, 360),
       {"Wind direction: 330°", "Wind speed: 8kt", "Wind direction variable: 300° - 360°",
        "Wind speed: 8kt"}},
  };
  for (const WindCase& c : cases) {
    EXPECT_EQ(WindBlock(c.metar), c.lines) << c.what;
  }
}

TEST(MetarText, RealReportAsTheWindowShowsIt) {
  ClMetar catalogue;
  catalogue.AddAirports(wxS("EDDB,Berlin-Schoenefeld,154,52.3833,13.5167\n"));
  MetarRecord metar;
  metar.Raw =
      wxS("EDDB 171150Z 12009KT 2000 R07R/1300VP2000D -SN BR SCT008 BKN018 M01/M03 Q1012 R07/29//95 TEMPO SN "
          "BKN008");
  ASSERT_TRUE(catalogue.FindMetarStation(&metar));
  ASSERT_TRUE(catalogue.DecodeMetar(&metar));
  metar.UpperairStation = wxS("10393");
  metar.UpperairDistance = 300;  // 161.99 NM, shown truncated
  metar.SynopStation = wxS("10385");
  metar.SynopDistance = 19;

  const std::vector<std::string> expected = {
      "ICAO: EDDB",
      "Name: Berlin-Schoenefeld",
      "Time: 171150Z",
      "Elevation: 154 ft",
      "Wind direction: 120°",
      "Wind speed: 9kt",
      "Visibility: 2000 m",
      "Weather phenomena: -SN BR ",
      "Clouds: Scattered at 800 ft",
      "Clouds: Broken at 1800 ft",
      "Temp/Dew: -1°C/-3°C",
      "Atmospheric pressure: 1012 hPa",
      "WindStation: 10393",
      "Dist. Windstation: 161 NM",
      "Synopstation: 10385",
      "Dist. Synopstation: 10 NM",
  };
  EXPECT_EQ(Lines(FormatMetarText(metar)), expected);
  EXPECT_EQ(MissingStationNotes(metar), wxString());
}

TEST(MetarText, StationsWithoutSoundingOrSynop) {
  MetarRecord metar;  // as decoded: no upper-air and no SYNOP station attached
  const std::vector<std::string> lines = Lines(FormatMetarText(metar));
  EXPECT_EQ(lines[lines.size() - 4], "WindStation: ");
  EXPECT_EQ(lines[lines.size() - 3], "Dist. Windstation: -1 NM");
  EXPECT_EQ(lines[lines.size() - 1], "Dist. Synopstation: -1 NM");
  EXPECT_EQ(MissingStationNotes(metar), wxS(" No Wind station  No Synop station "));
  metar.SynopDistance = 0;
  EXPECT_EQ(MissingStationNotes(metar), wxS(" No Wind station "));
}

TEST(MetarText, ReportTextsAreNeverAFormat) {
  MetarRecord metar;
  metar.Icao = wxS("%s%n");
  metar.Name = wxS("Gare %d %s %n 100%");
  metar.PresentWeather = wxS("%x%p ");
  const std::vector<std::string> lines = Lines(FormatMetarText(metar));
  EXPECT_EQ(lines[0], "ICAO: %s%n");
  EXPECT_EQ(lines[1], "Name: Gare %d %s %n 100%");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Weather phenomena: %x%p "), lines.end());
}

// Levels as the profile holds them; humidity as CalcHumidity would leave it.
using testsupport::LevelAt;

UpperairRecord Sounding(std::vector<UpperLevel> levels, std::int32_t elevationFt = 0) {
  UpperairRecord sounding;
  sounding.Station.Elevation = elevationFt;
  sounding.Levels = std::move(levels);
  sounding.MaxWind.Pressure = kNoMaxWindPressure;
  return sounding;
}

struct RowCase {
  const char* what;
  std::function<void(UpperairRecord&, MetarRecord&)> setUp;
  bool align;
  std::vector<std::string> rows;
};

TEST(UpperairRows, TableAsTheWindowShowsIt) {
  const UpperLevel surface =
      LevelAt(1013).Height(0).Wind(250, 5).Temperature(15.0f).DewPoint(10.0f).Humidity(72.0f);
  const UpperLevel at850 =
      LevelAt(850).Height(1541).Wind(350, 25).Temperature(8.2f).DewPoint(1.4f).Humidity(62.3f);
  const RowCase cases[] = {
      {"the surface row shows the METAR's wind and the station's elevation; heights are above sea "
       "level already, so 1541 m is 5056 ft whatever the station's elevation",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({surface, at850}, 1200);
         m = Wind(270, 12);
       },
       false,
       {"1200 ft | 1013 mb | 270° | 12 kt | 15.0 °C | 10.0 °C | 72.0",
        "5056 ft | 850 mb | 350° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"METAR 270°, surface 250°: turned by +20, 350° shows as 10°",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({at850});
         s.Surface = surface;
         m = Wind(270, 12);
       },
       true,
       {"5056 ft | 850 mb | 10° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"METAR 10°, surface 350°: turned by -340, 100° shows as 120°",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding(
             {LevelAt(850).Height(1541).Wind(100, 25).Temperature(8.2f).DewPoint(1.4f).Humidity(62.3f)});
         s.Surface = LevelAt(1013).Height(0).Wind(350, 5).Temperature(15.0f).DewPoint(10.0f).Humidity(72.0f);
         m = Wind(10, 4);
       },
       true,
       {"5056 ft | 850 mb | 120° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"variable METAR wind: turned by -1 less the surface's 250°; its surface row says VRB",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding(
             {surface,
              LevelAt(850).Height(1541).Wind(300, 25).Temperature(8.2f).DewPoint(1.4f).Humidity(62.3f)});
         s.Surface = surface;
         m = Wind(kVariableWindDirection, 3);
       },
       true,
       {"0 ft | 1013 mb | VRB | 3 kt | 15.0 °C | 10.0 °C | 72.0",
        "5056 ft | 850 mb | 49° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"a turn of a whole circle still shows 0-359: METAR 360°, surface 0°, level 360°",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding(
             {LevelAt(850).Height(1541).Wind(360, 25).Temperature(8.2f).DewPoint(1.4f).Humidity(62.3f)});
         s.Surface = LevelAt(1013).Height(0).Wind(0, 5).Temperature(15.0f).DewPoint(10.0f).Humidity(72.0f);
         m = Wind(360, 10);
       },
       true,
       {"5056 ft | 850 mb | 0° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"a surface without a wind turns nothing",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({at850});
         s.Surface = LevelAt(1013)
                         .Height(0)
                         .Wind(kMissingWind, kMissingWind)
                         .Temperature(15.0f)
                         .DewPoint(10.0f)
                         .Humidity(72.0f);
         m = Wind(270, 12);
       },
       true,
       {"5056 ft | 850 mb | 350° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"aligning off: no turn",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({at850});
         s.Surface = surface;
         m = Wind(270, 12);
       },
       false,
       {"5056 ft | 850 mb | 350° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"missing wind, height and temperatures are shown as --, never as numbers",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({LevelAt(700)
                           .Height(3012)
                           .Wind(kMissingWind, kMissingWind)
                           .Temperature(-2.5f)
                           .DewPoint(-9.0f)
                           .Humidity(60.1f),
                       LevelAt(500)
                           .Height(kMissingHeightM)
                           .Wind(270, 40)
                           .Temperature(-20.1f)
                           .DewPoint(-31.0f)
                           .Humidity(37.2f),
                       LevelAt(400)
                           .Height(7180)
                           .Wind(270, 45)
                           .Temperature(kMissingTemperatureC)
                           .DewPoint(kMissingTemperatureC)
                           .Humidity(kMissingTemperatureC),
                       LevelAt(300)
                           .Height(9160)
                           .Wind(265, 50)
                           .Temperature(-45.3f)
                           .DewPoint(kMissingTemperatureC)
                           .Humidity(kMissingTemperatureC)});
         s.Surface = surface;
         m = Wind(270, 12);
       },
       true,
       {"9882 ft | 700 mb | -- | -- | -2.5 °C | -9.0 °C | 60.1",
        "-- | 500 mb | 290° | 40 kt | -20.1 °C | -31.0 °C | 37.2",
        "23556 ft | 400 mb | 290° | 45 kt | -- | -- | --",
        "30052 ft | 300 mb | 285° | 50 kt | -- | -- | --"}},
      {"calm levels and levels at exactly 0.0 °C get no row",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding(
             {LevelAt(925).Height(760).Wind(0, 0).Temperature(12.0f).DewPoint(8.0f).Humidity(76.0f),
              LevelAt(850).Height(1500).Wind(200, 10).Temperature(0.0f).DewPoint(-3.0f).Humidity(80.0f),
              LevelAt(700).Height(3100).Wind(210, 15).Temperature(-5.0f).DewPoint(0.0f).Humidity(50.0f),
              at850});
         m = Wind(270, 12);
       },
       false,
       {"5056 ft | 850 mb | 350° | 25 kt | 8.2 °C | 1.4 °C | 62.3"}},
      {"a jet of 200 kt and more has its row; the maximum wind is turned too",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({});
         s.Surface = surface;
         s.MaxWind = LevelAt(250)
                         .Height(kMissingHeightM)
                         .Wind(270, 235)
                         .Temperature(kMissingTemperatureC)
                         .DewPoint(kMissingTemperatureC)
                         .Humidity(0.0f);
         m = Wind(270, 12);
       },
       true,
       {"max Wind | 250 mb | 290° | 235 kt | -- | -- | "}},
      {"no maximum wind (9999 hPa), none without a speed, no tropopause at 999 hPa",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({});
         s.MaxWind = LevelAt(kNoMaxWindPressure)
                         .Height(0)
                         .Wind(270, 80)
                         .Temperature(0.0f)
                         .DewPoint(0.0f)
                         .Humidity(0.0f);
         s.Tropopause =
             LevelAt(999).Height(0).Wind(250, 40).Temperature(-55.3f).DewPoint(-60.1f).Humidity(0.0f);
         m = Wind(270, 12);
       },
       false,
       {}},
      {"a maximum wind without its speed gets no row",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({});
         s.MaxWind =
             LevelAt(250).Height(0).Wind(270, kMissingWind).Temperature(0.0f).DewPoint(0.0f).Humidity(0.0f);
         m = Wind(270, 12);
       },
       false,
       {}},
      {"the tropopause with its temperatures; a speed it lacks is --",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = Sounding({});
         s.Tropopause = LevelAt(200)
                            .Height(0)
                            .Wind(250, kMissingWind)
                            .Temperature(-55.3f)
                            .DewPoint(-60.1f)
                            .Humidity(0.0f);
         m = Wind(270, 12);
       },
       false,
       {"tropopause | 200 mb | 250° | -- | -55.3 °C | -60.1 °C | "}},
      {"an empty record (upper air off) gives no rows",
       [&](UpperairRecord& s, MetarRecord& m) {
         s = UpperairRecord();
         m = Wind(270, 12);
       },
       true,
       {}},
  };
  for (const RowCase& c : cases) {
    UpperairRecord sounding;
    MetarRecord metar;
    c.setUp(sounding, metar);
    EXPECT_EQ(RowTexts(sounding, metar, c.align), c.rows) << c.what;
  }
}

// A TTAA report decoded, merged, filled in and with humidities, as the display gets it.
UpperairRecord ProfileOf(const wxString& raw) {
  Upperair stations(wxString::FromUTF8(testsupport::FixturePath("station_catalogue_small.dat")));
  UpperairRecord ttaa;
  ttaa.Raw = raw;
  UpperairRecord profile;
  const UpperairPart noTtbb;
  EXPECT_TRUE(stations.FindTTAAStation(&ttaa) && DecodeTTAA(&ttaa) && MergeUpperair(&profile, &ttaa, &noTtbb))
      << raw;
  InterpolateLevels(&profile);
  CalcHumidity(&profile);
  return profile;
}

// The height cell of the row of one pressure ("" when the level has no row).
std::string HeightShownAt(const UpperairRecord& sounding, int pressureHpa) {
  const wxString pressure = wxString::Format(wxS("%i mb"), pressureHpa);
  for (const UpperairRow& row : BuildUpperairRows(sounding, Wind(270, 10), false)) {
    if (row[1] == pressure && !row[0].StartsWith(wxS("max")) && !row[0].StartsWith(wxS("trop"))) {
      return row[0].utf8_string();
    }
  }
  return "";
}

// Heights of the German sample bulletin: a TEMP gives geopotential metres above sea level, so
// only the surface row (height 0) is the station's elevation.
TEST(UpperairRows, HeightsAreAboveSeaLevel) {
  const wxString essen =
      wxS("TTAA 12001 10410 99008 08458 24006 00073 07858 24007 92727 04257 25011 85448 00658 26013 "
          "70035 06157 27017 50573 20157 27523 40741 31158 27528 30945 45556 27535 25065 53558 27540 "
          "20209 55557 27533 15395 57357 27524 10651 59556 26517 88223 55357 27541 77265 27542 41011 "
          "31313 58708 81104 51515 10164 00085 10194 26520 25516");
  const wxString muenchen =
      wxS("TTAA 12007 10868 99955 07256 25004 00044 ///// ///// 92740 06856 26008 85459 02457 27012 "
          "70044 04563 27520 50574 18569 40742 185// 30945 ///// 25065 51766 20209 55765 15394 58166 "
          "10650 60966 88200 57765 ///// 77999");
  const UpperairRecord essenProfile = ProfileOf(essen);
  const UpperairRecord muenchenProfile = ProfileOf(muenchen);
  const struct {
    const char* what;
    const UpperairRecord& sounding;
    int pressureHpa;
    const char* height;
  } cases[] = {
      {"Essen's surface: the station, 152 m", essenProfile, 1008, "498 ft"},
      {"Essen 1000 mb, 73 m", essenProfile, 1000, "240 ft"},
      {"Essen 850 mb, 1448 m", essenProfile, 850, "4751 ft"},
      {"Essen 700 mb, 3035 m", essenProfile, 700, "9957 ft"},
      {"Munich's surface: the station, 484 m, at 955 mb", muenchenProfile, 955, "1587 ft"},
      {"Munich 1000 mb, 44 m: under the ground, so below the surface row", muenchenProfile, 1000, "144 ft"},
      {"Munich 925 mb, 740 m: above the surface", muenchenProfile, 925, "2428 ft"},
      {"Munich 850 mb, 1459 m", muenchenProfile, 850, "4787 ft"},
  };
  for (const auto& c : cases) EXPECT_EQ(HeightShownAt(c.sounding, c.pressureHpa), c.height) << c.what;
}

// Key West's sounding of the sample bulletin as the display gets it.
TEST(UpperairRows, RealSoundingAsTheWindowShowsIt) {
  const UpperairRecord profile = ProfileOf(
      wxS("TTAA 62121 72201 99019 22856 13007 00141 22257 13508 92823 19656 16511 85526 17256 20010 70172 "
          "08263 25515 "
          "50591 06962 26522 40760 17962 26025 30963 33165 26531 25086 42559 26038 20213 55358 26544 15393 "
          "63958 26532 "
          "10654 73358 27515 88179 66173 24566 77216 25563 41316 31313 58708 82330 51515 10164 00087 10194 "
          "13510 15510"));

  // METAR 140°, surface 130°: every upper wind turned by +10. The station lies 1 m (3 ft) high.
  const std::vector<std::string> expected = {
      "3 ft | 1019 mb | 140° | 8 kt | 22.8 °C | 16.8 °C | 68.9",
      "463 ft | 1000 mb | 145° | 8 kt | 22.2 °C | 15.2 °C | 64.5",
      "2700 ft | 925 mb | 175° | 11 kt | 19.6 °C | 13.6 °C | 68.3",
      "5007 ft | 850 mb | 210° | 10 kt | 17.2 °C | 11.2 °C | 67.8",
      "10407 ft | 700 mb | 265° | 15 kt | 8.2 °C | -4.8 °C | 39.3",
      "19390 ft | 500 mb | 275° | 22 kt | -6.9 °C | -18.9 °C | 37.7",
      "24934 ft | 400 mb | 270° | 25 kt | -17.9 °C | -29.9 °C | 34.1",
      "31594 ft | 300 mb | 275° | 31 kt | -33.1 °C | -48.1 °C | 20.6",
      "35630 ft | 250 mb | 270° | 38 kt | -42.5 °C | -51.5 °C | 36.4",
      "38461 ft | 216 mb | 265° | 63 kt | -51.2 °C | -59.5 °C | 36.0",
      "39797 ft | 200 mb | 275° | 44 kt | -55.3 °C | -63.3 °C | 35.9",
      "42277 ft | 179 mb | 255° | 66 kt | -66.1 °C | -89.1 °C | 2.6",
      "45702 ft | 150 mb | 275° | 32 kt | -63.9 °C | -71.9 °C | 32.3",
      "54265 ft | 100 mb | 285° | 15 kt | -73.3 °C | -81.3 °C | 28.3",
      "max Wind | 216 mb | 265° | 63 kt | -- | -- | ",
      "tropopause | 179 mb | 255° | 66 kt | -66.1 °C | -89.1 °C | ",
  };
  EXPECT_EQ(RowTexts(profile, Wind(140, 8), true), expected);
}

}  // namespace
