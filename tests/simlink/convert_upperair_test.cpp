#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/test_paths.h"
#include "common/upper_level.h"
#include "reports/upperair_records.h"
#include "simlink/convert_weather.h"

namespace {

// A level whose dew point and speed the cases here leave alone unless they name their own.
testsupport::LevelAt Aloft(int hpa) { return testsupport::LevelAt(hpa).DewPoint(-20.0f).Speed(20); }

UpperairRecord Sounding(std::vector<UpperLevel> levels, std::uint16_t surfaceDirection = 220) {
  UpperairRecord sounding;
  sounding.Levels = std::move(levels);
  sounding.Surface = Aloft(1013).Height(0).Temperature(15.0f).Direction(surfaceDirection).Speed(10);
  sounding.Tropopause.Pressure = 0;
  sounding.MaxWind.Pressure = kNoMaxWindPressure;
  return sounding;
}

MetarRecord Metar(std::int32_t elevationFt, std::uint16_t direction = 240, std::uint16_t speed = 10) {
  MetarRecord metar;
  metar.Icao = wxS("EDDF");
  metar.Elevation = elevationFt;
  metar.WindDirection = direction;
  metar.WindSpeed = speed;
  metar.Visibility = kUnrestrictedVisibilityM;
  return metar;
}

OptionData Options(bool align, std::int32_t maxShift = 90) {
  OptionData options;
  options.AlignUpperWinds = align;
  options.MaxWindShift = maxShift;
  return options;
}

struct Converted {
  bool result;
  NewWeather record;
};

Converted Convert(const UpperairRecord& sounding, const MetarRecord& metar, const OptionData& options) {
  ClConvertWeather converter(options);
  Converted out{};
  converter.ConvertMetar(&out.record, &metar);
  out.result = converter.ConvertUpperair(&out.record, &sounding, &metar);
  return out;
}

std::uint16_t Word(int degrees) { return static_cast<std::uint16_t>(degrees * 65536 / 360); }

TEST(ConvertUpperair, FewerThanThreeLevelsLeaveTheRecordAsItWas) {
  testsupport::ScopedWorkDir dir;
  const MetarRecord metar = Metar(0);
  const UpperairRecord sounding = Sounding({Aloft(850).Height(1500).Temperature(5.0f).Direction(250),
                                            Aloft(700).Height(3000).Temperature(999.0f).Direction(260)});
  ClConvertWeather converter(Options(true));
  NewWeather before;
  converter.ConvertMetar(&before, &metar);
  NewWeather after = before;
  before.Pressure = 1;  // a record the check would reject: no check runs
  after.Pressure = 1;
  EXPECT_TRUE(converter.ConvertUpperair(&after, &sounding, &metar));
  EXPECT_EQ(std::memcmp(&before, &after, sizeof after), 0);
  EXPECT_FALSE(std::filesystem::exists("FSUIPC.err"));
}

TEST(ConvertUpperair, StandardLevelsReplaceTheLayersAboveTheStation) {
  testsupport::ScopedWorkDir dir;
  const UpperairRecord sounding = Sounding({
      Aloft(1000).Height(110).Temperature(14.0f).Direction(230),  // no altitude for 1000 hPa
      Aloft(925).Height(760).Temperature(12.9f).Direction(235),   // above a station at 1000 ft (304 m)
      Aloft(850).Height(1500).Temperature(8.7f).Direction(250).Speed(25).DewPoint(-1.6f),
      Aloft(800).Height(2000).Temperature(6.0f).Direction(255),  // not a standard level
      Aloft(700).Height(3050).Temperature(-2.5f).Direction(260).Speed(30),
      Aloft(500).Height(5600).Temperature(-17.0f).Direction(270).Speed(45),
  });
  const Converted got = Convert(sounding, Metar(1000), Options(false));
  ASSERT_TRUE(got.result);
  const NewWeather& r = got.record;
  EXPECT_EQ(r.TempCount, 6);
  EXPECT_EQ(r.WindCount, 6);
  const std::uint16_t altitudes[] = {914, 1523, 3048, 5486};
  const std::int16_t temperatures[] = {12, 8, -2, -17};
  const std::uint16_t directions[] = {235, 250, 260, 270};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.Temp[2 + i].Altitude, altitudes[i]) << i;
    EXPECT_EQ(r.Temp[2 + i].Temperature, temperatures[i]) << i;
    EXPECT_EQ(r.Temp[2 + i].Kind, 2) << i;
    EXPECT_EQ(r.Wind[2 + i].Altitude, altitudes[i]) << i;
    EXPECT_EQ(r.Wind[2 + i].Direction, Word(directions[i])) << i;
    EXPECT_EQ(r.Wind[2 + i].SurfaceFlag, 0) << i;
  }
  EXPECT_EQ(r.Temp[3].DewPoint, -1);  // truncated toward zero
  EXPECT_EQ(r.Wind[3].Speed, 25);
  // The METAR's surface and station layers stay; the layers beyond the count are cleared.
  EXPECT_EQ(r.Wind[0].SurfaceFlag, 65000);
  EXPECT_EQ(r.Temp[1].Altitude, 304);
  EXPECT_EQ(r.Temp[6].Altitude, 0);
  EXPECT_EQ(r.Wind[19].Speed, 0);
}

TEST(ConvertUpperair, LevelsBelowTheStationOrUnplacedArePassedOver) {
  testsupport::ScopedWorkDir dir;
  UpperairRecord sounding = Sounding({
      Aloft(925).Height(300).Temperature(12.0f).Direction(235),     // below a station at 1000 ft
      Aloft(270).Height(10200).Temperature(-50.0f).Direction(280),  // the maximum wind: its own height
      Aloft(850).Height(99999).Temperature(8.0f).Direction(250),    // height still missing
      Aloft(700).Height(3000).Temperature(999.0f).Direction(260),   // temperature still missing
      Aloft(600).Height(4200).Temperature(-10.0f).Direction(999),   // wind still missing
      Aloft(500).Height(5600).Temperature(-17.0f).Direction(270).Speed(999),
      Aloft(400).Height(7200).Temperature(-30.0f).Direction(275).Speed(40).DewPoint(999.0f),
      Aloft(0).Height(9000).Temperature(-40.0f).Direction(275),
      Aloft(1200).Height(9000).Temperature(-40.0f).Direction(275),
      Aloft(300).Height(9200).Temperature(-45.0f).Direction(275),
  });
  sounding.MaxWind.Pressure = 270;
  const Converted got = Convert(sounding, Metar(1000), Options(false));
  ASSERT_TRUE(got.result);
  EXPECT_EQ(got.record.WindCount, 4);
  EXPECT_EQ(got.record.Wind[2].Altitude, 10200);
  EXPECT_EQ(got.record.Wind[3].Altitude, 9144);
}

TEST(ConvertUpperair, AlignedWindsTurnAndShiftAtMostTheLimit) {
  struct Case {
    const char* name;
    std::uint16_t metarDirection;
    std::uint16_t metarSpeed;
    std::uint16_t surfaceDirection;
    std::int32_t maxShift;
    std::vector<std::uint16_t> levels;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"offset +20", 240, 10, 220, 90, {230, 250}, {250, 270}},
      {"first level limited, then the next from it", 180, 10, 180, 90, {300, 350}, {270, 350}},
      // Turns are measured along the shorter arc: 350 to 10 is 20 degrees.
      {"across north", 350, 10, 350, 90, {10, 100}, {10, 100}},
      {"limited across north", 300, 10, 300, 90, {300, 60}, {300, 30}},
      {"variable METAR wind: no offset, no hold", kVariableWindDirection, 5, 220, 90, {300, 320}, {300, 320}},
      {"calm METAR wind: no offset, no hold", 0, 0, 220, 90, {300, 320}, {300, 320}},
      {"calm sounding surface: no offset", 240, 10, 999, 90, {250, 260}, {250, 260}},
      {"negative limit holds every level", 240, 10, 240, -30, {300, 100}, {240, 240}},
      {"offset folds past north", 10, 10, 350, 180, {350, 0}, {10, 20}},
  };
  testsupport::ScopedWorkDir dir;
  for (const Case& c : cases) {
    const std::int16_t pressures[] = {850, 700};
    const std::int32_t heights[] = {1500, 3000};
    std::vector<UpperLevel> levels = {Aloft(1000).Height(100).Temperature(15.0f).Direction(0)};
    for (std::size_t i = 0; i < c.levels.size(); ++i) {
      levels.push_back(Aloft(pressures[i]).Height(heights[i]).Temperature(0.0f).Direction(c.levels[i]));
    }
    UpperairRecord sounding = Sounding(levels, c.surfaceDirection);
    const Converted got =
        Convert(sounding, Metar(0, c.metarDirection, c.metarSpeed), Options(true, c.maxShift));
    ASSERT_TRUE(got.result) << c.name;
    ASSERT_EQ(got.record.WindCount, 2 + static_cast<int>(c.levels.size())) << c.name;
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(got.record.Wind[2 + i].Direction, Word(c.expected[i])) << c.name << ", level " << i;
    }
  }
}

TEST(ConvertUpperair, WithoutAlignmentDirectionsStayAsReported) {
  testsupport::ScopedWorkDir dir;
  const UpperairRecord sounding = Sounding({Aloft(850).Height(1500).Temperature(5.0f).Direction(360),
                                            Aloft(700).Height(3000).Temperature(0.0f).Direction(10),
                                            Aloft(500).Height(5600).Temperature(-20.0f).Direction(200)});
  const Converted got = Convert(sounding, Metar(0, 240), Options(false, 10));
  ASSERT_TRUE(got.result);
  EXPECT_EQ(got.record.Wind[2].Direction, 0);  // 360 is north
  EXPECT_EQ(got.record.Wind[3].Direction, Word(10));
  EXPECT_EQ(got.record.Wind[4].Direction, Word(200));
}

TEST(ConvertUpperair, MoreLevelsThanTheRecordHoldsFail) {
  testsupport::ScopedWorkDir dir;
  std::vector<UpperLevel> levels(22, Aloft(500).Height(5600).Temperature(-20.0f).Direction(270));
  const Converted full = Convert(Sounding(levels), Metar(0), Options(false));
  EXPECT_TRUE(full.result);
  EXPECT_EQ(full.record.WindCount, 24);
  levels.push_back(Aloft(500).Height(5600).Temperature(-20.0f).Direction(270));
  const Converted over = Convert(Sounding(levels), Metar(0), Options(false));
  EXPECT_FALSE(over.result);
  EXPECT_LE(over.record.WindCount, 24);
}

TEST(ConvertUpperair, EndsWithTheRangeCheck) {
  testsupport::ScopedWorkDir dir;
  const UpperairRecord sounding = Sounding({Aloft(850).Height(1500).Temperature(5.0f).Direction(250),
                                            Aloft(700).Height(3000).Temperature(-160.0f).Direction(260),
                                            Aloft(500).Height(5600).Temperature(-20.0f).Direction(270)});
  ClConvertWeather converter(Options(false));
  const MetarRecord metar = Metar(0);
  NewWeather record;
  converter.ConvertMetar(&record, &metar);
  EXPECT_FALSE(converter.ConvertUpperair(&record, &sounding, &metar));  // -160 degrees aloft
  EXPECT_NE(converter.GetErrorText().find(wxS("Wind[3]: Alt=3048 m")), wxString::npos);
  EXPECT_TRUE(std::filesystem::exists("FSUIPC.err"));
}

// A jet stronger than the simulator takes is written at its limit; the station is not lost.
TEST(ConvertUpperair, JetsAboveTheLimitAreWrittenAtTheLimit) {
  testsupport::ScopedWorkDir dir;
  const UpperairRecord sounding =
      Sounding({Aloft(850).Height(1500).Temperature(5.0f).Direction(250),
                Aloft(300).Height(9100).Temperature(-45.0f).Direction(270).Speed(215),
                Aloft(250).Height(10400).Temperature(-52.0f).Direction(275).Speed(200)});
  const Converted out = Convert(sounding, Metar(0), Options(false));
  ASSERT_TRUE(out.result);
  EXPECT_EQ(out.record.Wind[3].Speed, 200);
  EXPECT_EQ(out.record.Wind[4].Speed, 200);
  EXPECT_FALSE(std::filesystem::exists("FSUIPC.err"));
}

}  // namespace
