#include "reports/upperair_profile.h"

#include <gtest/gtest.h>

#include "reports/ttaa_decoder.h"
#include "upperair_fixtures.h"

namespace {

using testsupport::LevelAt;
using upperairtest::Piece;

constexpr float kMissingT = kMissingTemperatureC;
constexpr int kMissingH = kMissingHeightM;
constexpr int kNoWind = kMissingWind;

const char* kKnots = "temp_bulletin_us_knots.txt";

UpperairRecord DecodedTtaa(const char* fixture, const char* station) {
  UpperairRecord record;
  record.Raw = Piece(fixture, "TTAA", station);
  record.Station.Id = station;
  EXPECT_TRUE(DecodeTTAA(&record));
  return record;
}

UpperairRecord Merged(const UpperairRecord& ttaa, const UpperairPart& ttbb = UpperairPart()) {
  UpperairRecord output;
  EXPECT_TRUE(MergeUpperair(&output, &ttaa, &ttbb));
  return output;
}

std::vector<int> Pressures(const UpperairRecord& record) {
  std::vector<int> pressures;
  for (const UpperLevel& level : record.Levels) pressures.push_back(level.Pressure);
  return pressures;
}

TEST(MergeUpperair, SortsSurfaceLevelsTropopauseAndMaximumWind) {
  const UpperairRecord ttaa = DecodedTtaa(kKnots, "72201");
  const UpperairRecord merged = Merged(ttaa);
  const std::vector<int> expected = {1019, 1000, 925, 850, 700, 500, 400, 300, 250, 216, 200, 179, 150, 100};
  EXPECT_EQ(Pressures(merged), expected);
  EXPECT_EQ(merged.Station.Id, "72201");
  EXPECT_EQ(merged.Tropopause, ttaa.Tropopause);
  EXPECT_EQ(merged.MaxWind, ttaa.MaxWind);
  EXPECT_EQ(merged.Surface, ttaa.Surface);
  EXPECT_TRUE(merged.Raw.empty());
}

TEST(MergeUpperair, NoTropopauseNoMaximumWindAndAnotherStation) {
  UpperairRecord ttaa;
  ttaa.Station.Id = "72201";
  ttaa.Raw = "TTAA 56001 72201 99019 22856 13007 00141 22257 13508 88999 77999";
  ASSERT_TRUE(DecodeTTAA(&ttaa));
  ttaa.Tropopause.Pressure = 999;  // as an 88999 once read gave it
  const UpperairRecord merged = Merged(ttaa);
  EXPECT_EQ(Pressures(merged), (std::vector<int>{1019, 1000}));
  EXPECT_EQ(merged.MaxWind.Pressure, kNoMaxWindPressure);

  UpperairPart other;
  other.Station.Id = "722";  // a part of the number is not the station
  UpperairRecord output;
  EXPECT_FALSE(MergeUpperair(&output, &ttaa, &other));
  EXPECT_EQ(output.Station.Id, "72201");
  EXPECT_TRUE(output.Levels.empty());
}

TEST(DecodeTTBB, SignificantLevels) {
  struct Case {
    const char* raw;
    std::vector<int> pressures;
  };
  const Case cases[] = {
      {"TTBB 5601/ 72201 00019 22856 11975 20056", {1019, 975}},
      // The bulletin heading before the header is no data.
      {"UKUS01 KWBC 121200\r\nTTBB 5601/ 72201 00019 22856 11975 20056", {1019, 975}},
      // Every indicator, not only 00, stands for 1000-1099 hPa with a figure below 100.
      {"TTBB 1200/ 10410 00008 08458 11005 09856 22950 05657", {1008, 1005, 950}},
      // The wind section and the regional groups end the levels.
      {"TTBB 5601/ 72201 00019 22856 21212 00019 13007 11985 13508", {1019}},
      {"TTBB 5601/ 72201 00019 22856 31313 58708 82330", {1019}},
      // A level without a pressure is no level.
      {"TTBB 5601/ 72201 00019 22856 11/// 20056 22914 17656", {1019, 914}},
  };
  for (const auto& c : cases) {
    UpperairPart part;
    part.Raw = c.raw;
    ASSERT_TRUE(DecodeTTBB(&part)) << c.raw;
    std::vector<int> pressures;
    for (const UpperLevel& level : part.Levels) pressures.push_back(level.Pressure);
    EXPECT_EQ(pressures, c.pressures) << c.raw;
  }
  UpperairPart part;
  part.Raw = "TTBB 5601/ 72201 00019 22856 11975 20056";
  ASSERT_TRUE(DecodeTTBB(&part));
  EXPECT_EQ(part.Levels[1],
            LevelAt(975).Height(kMissingH).Temperature(20.0f).DewPoint(14.0f).Wind(kNoWind, kNoWind));
  part.Raw = "TTAA 56001 72201 99019 22856 13007";
  EXPECT_FALSE(DecodeTTBB(&part));
  EXPECT_TRUE(part.Levels.empty());
}

TEST(MergeUpperair, AddsTtbbLevelsOfNewPressuresOnly) {
  const UpperairRecord ttaa = DecodedTtaa(kKnots, "72201");
  UpperairPart ttbb;
  ttbb.Raw = Piece(kKnots, "TTBB", "72201");
  ttbb.Station.Id = "72201";
  ASSERT_TRUE(DecodeTTBB(&ttbb));
  ASSERT_EQ(ttbb.Levels.size(), 13u);
  const UpperairRecord merged = Merged(ttaa, ttbb);
  const std::vector<int> expected = {1019, 1000, 975, 925, 914, 850, 783, 700, 612, 500,
                                     417,  400,  300, 250, 216, 200, 179, 150, 100};
  EXPECT_EQ(Pressures(merged), expected);
}

TEST(DecodePPBB, StoresNoLevel) {
  UpperairPart part;
  part.Levels.resize(2);
  part.Raw = Piece(kKnots, "PPBB", "72201");
  EXPECT_TRUE(DecodePPBB(&part));
  EXPECT_TRUE(part.Levels.empty());
  part.Raw = "TTBB 5601/ 72201 00019 22856";
  EXPECT_FALSE(DecodePPBB(&part));
}

TEST(InterpolateLevels, FillsMissingValuesOfTheKeyWestProfile) {
  UpperairRecord profile = Merged(DecodedTtaa(kKnots, "72201"));
  InterpolateLevels(&profile);
  const UpperLevel& tropopause = profile.Levels[11];
  ASSERT_EQ(tropopause.Pressure, 179);
  EXPECT_EQ(tropopause.Height, 12886);                // 200 hPa 12130 m, 150 hPa 13930 m
  EXPECT_NEAR(tropopause.Temperature, -66.1f, 1e-4);  // reported: kept
  EXPECT_EQ(tropopause.Direction, 245);
  const UpperLevel& maxWind = profile.Levels[9];
  ASSERT_EQ(maxWind.Pressure, 216);
  EXPECT_EQ(maxWind.Height, 11723);  // 250 hPa 10860 m, 200 hPa 12130 m
  EXPECT_NEAR(maxWind.Temperature, -42.5f + 34 * (-12.8f / 50), 1e-3);
  EXPECT_NEAR(maxWind.DewPoint, -51.5f + 34 * (-11.8f / 50), 1e-3);
  EXPECT_EQ(maxWind.Speed, 63);
}

// One level between two brackets: {above, level, below} in, the level out.
struct FillCase {
  const char* what;
  UpperLevel above, level, below;
  UpperLevel expected;
};

TEST(InterpolateLevels, Brackets) {
  const FillCase cases[] = {
      {"wind", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(270, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(kNoWind, kNoWind),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(250, 60),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(260, 50)},
      {"speed falling", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(270, 60),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(kNoWind, kNoWind),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(270, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(270, 50)},
      {"across north", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(350, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(kNoWind, kNoWind),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(10, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(0, 40)},
      {"across north back", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(10, 40),
       LevelAt(475).Height(6000).Temperature(-25).DewPoint(-35).Wind(kNoWind, kNoWind),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(330, 40),
       LevelAt(475).Height(6000).Temperature(-25).DewPoint(-35).Wind(0, 40)},
      {"north as 360", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(360, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(kNoWind, kNoWind),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(20, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(10, 40)},
      {"temperatures only", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(270, 40),
       LevelAt(450).Height(6300).Temperature(kMissingT).DewPoint(kMissingT).Wind(260, 50),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(250, 60),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(260, 50)},
      {"dew point only", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(270, 40),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(kMissingT).Wind(260, 50),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(250, 60),
       LevelAt(450).Height(6300).Temperature(-25).DewPoint(-35).Wind(260, 50)},
      {"height only", LevelAt(500).Height(5600).Temperature(-20).DewPoint(-30).Wind(270, 40),
       LevelAt(450).Height(kMissingH).Temperature(-22).DewPoint(-33).Wind(260, 50),
       LevelAt(400).Height(7200).Temperature(-30).DewPoint(-40).Wind(250, 60),
       LevelAt(450).Height(6400).Temperature(-22).DewPoint(-33).Wind(260, 50)},
      {"equal pressures", LevelAt(450).Height(5600).Temperature(-20).DewPoint(-30).Wind(270, 40),
       LevelAt(450).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(kNoWind, kNoWind),
       LevelAt(450).Height(7200).Temperature(-30).DewPoint(-40).Wind(250, 60),
       LevelAt(450).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(kNoWind, kNoWind)},
  };
  for (const auto& c : cases) {
    UpperairRecord record;
    record.Levels = {c.above, c.level, c.below};
    InterpolateLevels(&record);
    EXPECT_EQ(record.Levels[1], c.expected) << c.what;
    EXPECT_EQ(record.Levels[0], c.above) << c.what;
    EXPECT_EQ(record.Levels[2], c.below) << c.what;
  }
}

// Every level of a run of missing values lies between the same two reported levels, not between
// the level filled just before it and the next reported one.
TEST(InterpolateLevels, RunOfMissingValuesBetweenTheSameBrackets) {
  struct Case {
    const char* what;
    std::vector<UpperLevel> levels, expected;
  };
  const Case cases[] = {
      {"heights",
       {LevelAt(250).Height(10860).Temperature(-42).DewPoint(-51).Wind(260, 38),
        LevelAt(234).Height(kMissingH).Temperature(-45).DewPoint(-53).Wind(260, 40),
        LevelAt(225).Height(kMissingH).Temperature(-47).DewPoint(-55).Wind(265, 41),
        LevelAt(200).Height(12130).Temperature(-55).DewPoint(-63).Wind(265, 44)},
       {LevelAt(250).Height(10860).Temperature(-42).DewPoint(-51).Wind(260, 38),
        LevelAt(234).Height(11266).Temperature(-45).DewPoint(-53).Wind(260, 40),
        LevelAt(225).Height(11495).Temperature(-47).DewPoint(-55).Wind(265, 41),
        LevelAt(200).Height(12130).Temperature(-55).DewPoint(-63).Wind(265, 44)}},
      {"winds",
       {LevelAt(500).Height(5910).Temperature(-7).DewPoint(-19).Wind(200, 10),
        LevelAt(439).Height(6900).Temperature(-13).DewPoint(-25).Wind(kNoWind, kNoWind),
        LevelAt(430).Height(7050).Temperature(-14).DewPoint(-26).Wind(kNoWind, kNoWind),
        LevelAt(400).Height(7600).Temperature(-18).DewPoint(-30).Wind(200, 23)},
       {LevelAt(500).Height(5910).Temperature(-7).DewPoint(-19).Wind(200, 10),
        LevelAt(439).Height(6900).Temperature(-13).DewPoint(-25).Wind(200, 17),
        LevelAt(430).Height(7050).Temperature(-14).DewPoint(-26).Wind(200, 19),
        LevelAt(400).Height(7600).Temperature(-18).DewPoint(-30).Wind(200, 23)}},
      {"temperatures",
       {LevelAt(500).Height(5910).Temperature(-10).DewPoint(-20).Wind(270, 40),
        LevelAt(475).Height(6300).Temperature(kMissingT).DewPoint(kMissingT).Wind(270, 40),
        LevelAt(450).Height(6700).Temperature(kMissingT).DewPoint(kMissingT).Wind(270, 40),
        LevelAt(400).Height(7600).Temperature(-20).DewPoint(-30).Wind(270, 40)},
       {LevelAt(500).Height(5910).Temperature(-10).DewPoint(-20).Wind(270, 40),
        LevelAt(475).Height(6300).Temperature(-12.5f).DewPoint(-22.5f).Wind(270, 40),
        LevelAt(450).Height(6700).Temperature(-15).DewPoint(-25).Wind(270, 40),
        LevelAt(400).Height(7600).Temperature(-20).DewPoint(-30).Wind(270, 40)}},
  };
  for (const auto& c : cases) {
    UpperairRecord record;
    record.Levels = c.levels;
    InterpolateLevels(&record);
    EXPECT_EQ(record.Levels, c.expected) << c.what;
  }
}

TEST(InterpolateLevels, EndsWithoutABracketStayMissing) {
  UpperairRecord record;
  record.Levels = {
      LevelAt(1000).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(kNoWind, kNoWind),
      LevelAt(955).Height(0).Temperature(7).DewPoint(1).Wind(250, 7),
      LevelAt(925).Height(740).Temperature(6).DewPoint(0).Wind(260, 15),
      LevelAt(500).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(kNoWind, kNoWind)};
  const auto before = record.Levels;
  InterpolateLevels(&record);
  EXPECT_EQ(record.Levels, before);
}

TEST(CalcHumidity, MagnusOverWaterAndIce) {
  struct Case {
    float temperature, dewPoint, humidity;
  };
  const Case cases[] = {
      {20.0f, 10.0f, 52.5f},         {-10.0f, -20.0f, 43.7f},           {5.0f, -5.0f, 48.3f},
      {-30.0f, -30.0f, 100.0f},      {kMissingT, kMissingT, kMissingT}, {20.0f, kMissingT, kMissingT},
      {kMissingT, 10.0f, kMissingT},
  };
  UpperairRecord record;
  for (const auto& c : cases)
    record.Levels.push_back(
        LevelAt(500).Height(5600).Temperature(c.temperature).DewPoint(c.dewPoint).Wind(0, 0));
  record.Surface = LevelAt(1000).Height(0).Temperature(20.0f).DewPoint(10.0f).Wind(0, 0);
  EXPECT_TRUE(CalcHumidity(&record));
  for (std::size_t i = 0; i < record.Levels.size(); ++i) {
    EXPECT_NEAR(record.Levels[i].Humidity, cases[i].humidity, 0.05)
        << cases[i].temperature << " " << cases[i].dewPoint;
  }
  EXPECT_EQ(record.Surface.Humidity, 0.0f);  // the single entries are not the profile
}

}  // namespace
