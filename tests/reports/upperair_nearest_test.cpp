#include "reports/upperair_nearest.h"

#include <gtest/gtest.h>

#include <cmath>

#include "reports/geometry.h"
#include "upperair_fixtures.h"

namespace {

using upperairtest::Piece;

const wxString kUsable = Piece("temp_bulletin_us_knots.txt", "TTAA", "72201");
const wxString kTwoLevels =
    "TTAA 56001 72201 99019 22856 13007 00141 22257 13508 92823 19656 16511 88999 77999";
const wxString kNil = "TTAA 5612/ 72201 NIL";

float LongitudeAtKm(double km) { return static_cast<float>(km / kEarthRadiusKm * 180.0 / M_PI); }

UpperairRecord Sounding(const wxString& raw, float latitude, float longitude) {
  UpperairRecord record;
  record.Raw = raw;
  record.Station.Latitude = latitude;
  record.Station.Longitude = longitude;
  return record;
}

UpperairPart PartAt(float latitude, float longitude) {
  UpperairPart part;
  part.Station.Latitude = latitude;
  part.Station.Longitude = longitude;
  return part;
}

TEST(NearestUpperair, EmptyLists) {
  std::vector<UpperairRecord> ttaa;
  std::vector<UpperairPart> parts;
  EXPECT_EQ(NearestTTAA(50.0f, 8.0f, &ttaa), -1);
  EXPECT_EQ(NearestTTBB(50.0f, 8.0f, &parts), -1);
  EXPECT_EQ(NearestPPBB(50.0f, 8.0f, &parts), -1);
}

TEST(NearestTTAA, NearestUsableSoundingFirst) {
  struct Case {
    const char* what;
    std::vector<UpperairRecord> records;
    std::int32_t chosen;
  };
  const Case cases[] = {
      {"nearest", {Sounding(kUsable, 0, 3), Sounding(kUsable, 0, 1), Sounding(kUsable, 0, 2)}, 1},
      {"same station twice: the later", {Sounding(kUsable, 0, 1), Sounding(kUsable, 0, 1)}, 1},
      {"co-located", {Sounding(kUsable, 0, 0.1f), Sounding(kUsable, 0, 0)}, 1},
      {"nearest has two levels",
       {Sounding(kUsable, 0, 2), Sounding(kTwoLevels, 0, 1), Sounding(kNil, 0, 0.5f)},
       0},
      {"none usable", {Sounding(kTwoLevels, 0, 1), Sounding(kNil, 0, 2)}, -1},
      {"beyond 10000 km", {Sounding(kUsable, 0, LongitudeAtKm(10000.5))}, -1},
      {"within 10000 km", {Sounding(kUsable, 0, LongitudeAtKm(9999.5))}, 0},
  };
  for (auto c : cases) {
    std::vector<UpperairRecord> decoded = c.records;
    EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &c.records), c.chosen) << c.what;
    // A list decoded once gives the same choice without decoding again.
    const std::vector<bool> usable = DecodeAllTTAA(&decoded);
    EXPECT_EQ(NearestDecodedTTAA(0.0f, 0.0f, decoded, usable), c.chosen) << c.what;
  }
}

TEST(NearestTTAA, RejectedRecordsStayDecodedAndAreRejectedAgain) {
  std::vector<UpperairRecord> records = {Sounding(kUsable, 0, 2), Sounding(kTwoLevels, 0, 1)};
  ASSERT_EQ(NearestTTAA(0.0f, 0.0f, &records), 0);
  EXPECT_EQ(records[1].Levels.size(), 2u);
  EXPECT_EQ(records[0].Levels.size(), 11u);
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records), 0);
}

TEST(NearestTTAA, HeadingWindow) {
  // North, east, south and west of the position, each 1 degree away.
  std::vector<UpperairRecord> records = {Sounding(kUsable, 1, 0), Sounding(kUsable, 0, 1),
                                         Sounding(kUsable, -1, 0), Sounding(kUsable, 0, -1)};
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records, 90), 1);
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records, 180), 2);
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records, 20), 0);  // the window spans north: 335 to 65
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records, 340), 0);
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records, 130), 1);
  records.resize(2);
  EXPECT_EQ(NearestTTAA(0.0f, 0.0f, &records, 225), -1);  // nothing to the south-west
}

TEST(NearestTtbbPpbb, Limits) {
  std::vector<UpperairPart> parts = {PartAt(0, LongitudeAtKm(1000.1)), PartAt(0, LongitudeAtKm(999.9))};
  EXPECT_EQ(NearestPPBB(0.0f, 0.0f, &parts), 1);
  parts.pop_back();
  EXPECT_EQ(NearestPPBB(0.0f, 0.0f, &parts), -1);
  EXPECT_EQ(NearestTTBB(0.0f, 0.0f, &parts), 0);
  parts = {PartAt(0, LongitudeAtKm(9000)), PartAt(0, LongitudeAtKm(10000.5))};
  EXPECT_EQ(NearestTTBB(0.0f, 0.0f, &parts), 0);
  parts = {PartAt(10, 10), PartAt(10, 10), PartAt(10.5f, 10)};
  EXPECT_EQ(NearestTTBB(10.0f, 10.0f, &parts), 1);  // co-located, the later of two
  EXPECT_EQ(NearestPPBB(10.0f, 10.0f, &parts), 1);
}

}  // namespace
