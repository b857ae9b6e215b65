#include "reports/ttaa_decoder.h"

#include <gtest/gtest.h>

#include "reports/temp_groups.h"
#include "upperair_fixtures.h"

namespace {

using testsupport::LevelAt;
using upperairtest::Piece;

constexpr float kMissingT = kMissingTemperatureC;
constexpr int kMissingH = kMissingHeightM;
constexpr int kNoWind = kMissingWind;

UpperairRecord Decoded(const wxString& raw) {
  UpperairRecord record;
  record.Raw = raw;
  EXPECT_TRUE(DecodeTTAA(&record)) << raw;
  return record;
}

// The Key West sounding in knots, winds to 100 hPa, with tropopause and maximum wind.
TEST(DecodeTTAA, WholeSoundingInKnots) {
  const UpperairRecord r = Decoded(Piece("temp_bulletin_us_knots.txt", "TTAA", "72201"));
  EXPECT_EQ(r.Surface, LevelAt(1019).Height(0).Temperature(22.8f).DewPoint(16.8f).Wind(130, 7));
  const std::vector<UpperLevel> expected = {
      LevelAt(1000).Height(141).Temperature(22.2f).DewPoint(15.2f).Wind(135, 8),
      LevelAt(925).Height(823).Temperature(19.6f).DewPoint(13.6f).Wind(165, 11),
      LevelAt(850).Height(1526).Temperature(17.2f).DewPoint(11.2f).Wind(200, 10),
      LevelAt(700).Height(3172).Temperature(8.2f).DewPoint(-4.8f).Wind(255, 15),
      LevelAt(500).Height(5910).Temperature(-6.9f).DewPoint(-18.9f).Wind(265, 22),
      LevelAt(400).Height(7600).Temperature(-17.9f).DewPoint(-29.9f).Wind(260, 25),
      LevelAt(300).Height(9630).Temperature(-33.1f).DewPoint(-48.1f).Wind(265, 31),
      LevelAt(250).Height(10860).Temperature(-42.5f).DewPoint(-51.5f).Wind(260, 38),
      LevelAt(200).Height(12130).Temperature(-55.3f).DewPoint(-63.3f).Wind(265, 44),
      LevelAt(150).Height(13930).Temperature(-63.9f).DewPoint(-71.9f).Wind(265, 32),
      LevelAt(100).Height(16540).Temperature(-73.3f).DewPoint(-81.3f).Wind(275, 15),
  };
  EXPECT_EQ(r.Levels, expected);
  EXPECT_EQ(r.Tropopause, LevelAt(179).Height(kMissingH).Temperature(-66.1f).DewPoint(-89.1f).Wind(245, 66));
  EXPECT_EQ(r.MaxWind,
            LevelAt(216).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(255, 63));
}

// Jet-stream winds carry their hundreds in the direction's last digit; 1000 hPa lies below the
// ground and comes without temperatures or wind.
TEST(DecodeTTAA, JetStreamAndLevelBelowGround) {
  const UpperairRecord r = Decoded(Piece("temp_bulletin_us_knots.txt", "TTAA", "72520"));
  EXPECT_EQ(r.Surface, LevelAt(972).Height(0).Temperature(10.4f).DewPoint(4.4f).Wind(310, 15));
  ASSERT_EQ(r.Levels.size(), 11u);
  EXPECT_EQ(r.Levels[0],
            LevelAt(1000).Height(112).Temperature(kMissingT).DewPoint(kMissingT).Wind(kNoWind, kNoWind));
  EXPECT_EQ(r.Levels[6], LevelAt(300).Height(9340).Temperature(-43.7f).DewPoint(-50.7f).Wind(275, 126));
  EXPECT_EQ(r.Levels[9], LevelAt(150).Height(13860).Temperature(-56.9f).DewPoint(-68.9f).Wind(270, 74));
  EXPECT_EQ(r.Tropopause, LevelAt(229).Height(kMissingH).Temperature(-52.7f).DewPoint(-60.7f).Wind(275, 117));
  EXPECT_EQ(r.MaxWind,
            LevelAt(260).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(275, 121));
}

TEST(DecodeTTAA, MetresPerSecondDayGroup) {
  const UpperairRecord r = Decoded(Piece("temp_bulletin_german_metres_per_second.txt", "TTAA", "10410"));
  EXPECT_EQ(r.Surface, LevelAt(1008).Height(0).Temperature(8.4f).DewPoint(0.4f).Wind(240, 11));  // 6 m/s
  ASSERT_EQ(r.Levels.size(), 11u);
  EXPECT_EQ(r.Levels[8],
            LevelAt(200).Height(12090).Temperature(-55.5f).DewPoint(-62.5f).Wind(275, 64));  // 33 m/s
  EXPECT_EQ(r.MaxWind,
            LevelAt(265).Height(kMissingH).Temperature(kMissingT).DewPoint(kMissingT).Wind(275, 81));
}

// YYGGI with I = 7: above 700 hPa the levels come as pairs without a wind group.
TEST(DecodeTTAA, WindIndicatorOfTheDayGroup) {
  const UpperairRecord r = Decoded(Piece("temp_bulletin_german_metres_per_second.txt", "TTAA", "10868"));
  ASSERT_EQ(r.Levels.size(), 11u);
  EXPECT_EQ(r.Levels[3], LevelAt(700).Height(3044).Temperature(-4.5f).DewPoint(-17.5f).Wind(275, 38));
  EXPECT_EQ(r.Levels[4],
            LevelAt(500).Height(5740).Temperature(-18.5f).DewPoint(-37.5f).Wind(kNoWind, kNoWind));
  EXPECT_EQ(r.Levels[5],
            LevelAt(400).Height(7420).Temperature(-18.5f).DewPoint(kMissingT).Wind(kNoWind, kNoWind));
  EXPECT_EQ(r.Levels[6],
            LevelAt(300).Height(9450).Temperature(kMissingT).DewPoint(kMissingT).Wind(kNoWind, kNoWind));
  EXPECT_EQ(r.Levels[10],
            LevelAt(100).Height(16500).Temperature(-60.9f).DewPoint(-76.9f).Wind(kNoWind, kNoWind));
  EXPECT_EQ(r.Tropopause,
            LevelAt(200).Height(kMissingH).Temperature(-57.7f).DewPoint(-72.7f).Wind(kNoWind, kNoWind));
  EXPECT_EQ(r.MaxWind.Pressure, kNoMaxWindPressure);
}

TEST(TempGroups, TemperatureAndWindGroups) {
  struct TemperatureCase {
    const char* group;
    float temperature, dewPoint;
  };
  const TemperatureCase temperatures[] = {
      {"22856", 22.8f, 16.8f},         {"12345", -12.3f, -16.8f},   {"66173", -66.1f, -89.1f},
      {"00000", 0.0f, 0.0f},           {"228//", 22.8f, kMissingT}, {"/////", kMissingT, kMissingT},
      {"22/56", kMissingT, kMissingT},
  };
  for (const auto& c : temperatures) {
    float t = 0, td = 0;
    ReadTemperatureGroup(c.group, &t, &td);
    EXPECT_NEAR(t, c.temperature, 1e-4) << c.group;
    EXPECT_NEAR(td, c.dewPoint, 1e-4) << c.group;
  }
  struct WindCase {
    const char* group;
    double knotsPerUnit;
    int direction, speed;
  };
  const WindCase winds[] = {
      {"27615", 1.0, 275, 115},          {"27115", 1.0, 270, 115},         {"27010", 1.0, 270, 10},
      {"27010", 1 / 0.5144444, 270, 19}, {"36120", 1.0, 360, 120},         {"00000", 1.0, 0, 0},
      {"27999", 1.0, 275, 499},          {"/////", 1.0, kNoWind, kNoWind}, {"270//", 1.0, kNoWind, kNoWind},
      {"37010", 1.0, kNoWind, kNoWind},
  };
  for (const auto& c : winds) {
    std::uint16_t direction = 0, speed = 0;
    ReadWindGroup(c.group, c.knotsPerUnit, &direction, &speed);
    EXPECT_EQ(direction, c.direction) << c.group;
    EXPECT_EQ(speed, c.speed) << c.group;
  }
}

const char* kHead = "TTAA 56001 72201 99019 22856 13007 ";

TEST(DecodeTTAA, StandardLevelHeights) {
  struct Case {
    const char* group;
    int pressure, height;
  };
  const Case cases[] = {
      {"00141", 1000, 141},  {"00520", 1000, -20},  {"92823", 925, 823},        {"85526", 850, 1526},
      {"70950", 700, 2950},  {"70050", 700, 3050},  {"50591", 500, 5910},       {"40760", 400, 7600},
      {"30960", 300, 9600},  {"30050", 300, 10500}, {"25086", 250, 10860},      {"20231", 200, 12310},
      {"15421", 150, 14210}, {"10654", 100, 16540}, {"00///", 1000, kMissingH},
  };
  for (const auto& c : cases) {
    const UpperairRecord r = Decoded(wxString(kHead) + c.group + " 22257 13508");
    ASSERT_EQ(r.Levels.size(), 1u) << c.group;
    EXPECT_EQ(r.Levels[0].Pressure, c.pressure) << c.group;
    EXPECT_EQ(r.Levels[0].Height, c.height) << c.group;
  }
}

struct SectionCase {
  const char* body;
  std::size_t levels;
  int tropopause;  // pressure, 0 none
  int maxWind;     // pressure, kNoMaxWindPressure none
};

// The tropopause and maximum-wind groups, and what ends the part.
TEST(DecodeTTAA, TropopauseMaximumWindAndTheEndOfThePart) {
  const SectionCase cases[] = {
      // 88999 and 77999 are single groups: the groups after them are read as what they are.
      {"10654 73358 27515 88999 77216 25563 41316 31313 58708", 1, 0, 216},
      {"10654 73358 27515 88179 66173 24566 77999 31313 58708", 1, 179, kNoMaxWindPressure},
      {"10654 73358 27515 88999 77999", 1, 0, kNoMaxWindPressure},
      {"10654 73358 27515 88999 66216 25563", 1, 0, 216},  // 66PPP like 77PPP
      {"10654 73358 27515 88999 66999 31313", 1, 0, kNoMaxWindPressure},
      // Of two maximum-wind levels, the strongest.
      {"10654 73358 27515 88999 77216 25563 66150 27080", 1, 0, 150},
      {"10654 73358 27515 88999 77216 25563 66150 27040", 1, 0, 216},
      // A maximum wind without a wind is none.
      {"10654 73358 27515 88999 77216 /////", 1, 0, kNoMaxWindPressure},
      // After the maximum wind: regional groups, never levels.
      {"10654 73358 27515 88999 77999 51515 10164 00087 10194 13510 15510", 1, 0, kNoMaxWindPressure},
      // A slash indicator names no level; the levels after it are still read.
      {"///// 92823 19656 16511", 1, 0, kNoMaxWindPressure},
      // A following part without "=" ends this one.
      {"00141 22257 13508 TTBB 56008 72201 00019 22856", 1, 0, kNoMaxWindPressure},
      {"00141 22257 13508 NIL 92823 19656 16511", 1, 0, kNoMaxWindPressure},
      // A level cut short by the end of the part is not read.
      {"00141 22257 13508 92823 19656", 1, 0, kNoMaxWindPressure},
      {"00141 22257 13508 92823", 1, 0, kNoMaxWindPressure},
      // An unknown indicator among the standard levels takes its triple; the levels go on.
      {"00141 22257 13508 45123 11111 22222 85526 17256 20010", 2, 0, kNoMaxWindPressure},
      {"45123 11111 22222 85526 17256 20010 88179 66173 24566 77216 25563", 1, 179, 216},
      // 31313 and 51515 end the levels even without a tropopause or maximum wind before them.
      {"10654 73358 27515 31313 58708 82330 51515 10164 00087 10194 13510 15510", 1, 0, kNoMaxWindPressure},
  };
  for (const auto& c : cases) {
    const UpperairRecord r = Decoded(wxString(kHead) + c.body);
    EXPECT_EQ(r.Levels.size(), c.levels) << c.body;
    EXPECT_EQ(r.Tropopause.Pressure, c.tropopause) << c.body;
    EXPECT_EQ(r.MaxWind.Pressure, c.maxWind) << c.body;
  }
}

// A sounding cut off inside its last level, and one with an unknown indicator among the standard
// levels: only whole levels count, and the unknown triple is passed over.
TEST(DecodeTTAA, OnlyWholeLevelsAndUnknownIndicatorsPassedOver) {
  const UpperairRecord cut = Decoded("TTAA 56001 72201 99019 22856 13007 00141 22257 13508 92823 19656");
  EXPECT_EQ(cut.Levels, std::vector<UpperLevel>{
                            LevelAt(1000).Height(141).Temperature(22.2f).DewPoint(15.2f).Wind(135, 8)});

  const UpperairRecord unknown =
      Decoded("TTAA 56001 72201 99019 22856 13007 00141 22257 13508 45123 11111 22222 85526 17256 20010");
  const std::vector<UpperLevel> expected = {
      LevelAt(1000).Height(141).Temperature(22.2f).DewPoint(15.2f).Wind(135, 8),
      LevelAt(850).Height(1526).Temperature(17.2f).DewPoint(11.2f).Wind(200, 10)};
  EXPECT_EQ(unknown.Levels, expected);

  // Winds only up to 700 hPa (I = 7): from 500 hPa on a level is a pair, whole without a wind.
  struct Case {
    const char* body;
    std::size_t levels;
  };
  const Case pairs[] = {
      {"70950 22257 13508 50591 22257", 2}, {"70950 22257 13508 50591", 1}, {"70950 22257", 0}};
  for (const auto& c : pairs) {
    EXPECT_EQ(Decoded(wxString("TTAA 56007 72201 99019 22856 13007 ") + c.body).Levels.size(), c.levels)
        << c.body;
  }
}

TEST(DecodeTTAA, EachDecodeStartsAfresh) {
  UpperairRecord record;
  record.Raw = wxString(kHead) + "10654 73358 27515 88179 66173 24566 77216 25563";
  ASSERT_TRUE(DecodeTTAA(&record));
  EXPECT_EQ(record.Tropopause.Pressure, 179);
  record.Raw = wxString(kHead) + "10654 73358 27515 88999 77999";
  ASSERT_TRUE(DecodeTTAA(&record));
  EXPECT_EQ(record.Tropopause.Pressure, 0);
  EXPECT_EQ(record.MaxWind.Pressure, kNoMaxWindPressure);
  EXPECT_EQ(record.Levels.size(), 1u);
}

TEST(DecodeTTAA, NoHeaderNoLevels) {
  for (const char* raw :
       {"TTAA 5612/ 72201 NIL", "TTAA 56001 72201 99019 22856", "TTBB 56001 72201 00019 22856 11975"}) {
    UpperairRecord record;
    record.Raw = raw;
    record.Levels.resize(3);
    record.Tropopause.Pressure = 179;
    EXPECT_FALSE(DecodeTTAA(&record)) << raw;
    EXPECT_TRUE(record.Levels.empty()) << raw;
    EXPECT_EQ(record.Tropopause.Pressure, 0) << raw;
    EXPECT_EQ(record.MaxWind.Pressure, kNoMaxWindPressure) << raw;
  }
}

}  // namespace
