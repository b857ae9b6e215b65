#include <gtest/gtest.h>

#include "reports/upperair.h"
#include "upperair_fixtures.h"

namespace {

using upperairtest::CataloguePath;

TEST(Upperair, IdentifiesTtaaParts) {
  struct Case {
    const char* raw;
    bool identified;
  };
  const Case cases[] = {
      {"TTAA 56001 72201 99019 22856 13007", true},
      {"\r\nUSUS01 KWBC 121200\r\nTTAA 56001 72201 99019", true},  // heading before the header
      {"TTAA 5612/ 72201 NIL", true},                              // 20 characters, "/" in the day group
      {"TTAA 56001 7220/ 99019 22856 13007", false},
      {"ttaa 56001 72201 99019 22856 13007", false},
      {"TTAA 56001 72201  ", false},  // 19 characters
      {"TTAA 56001 99999 99019 22856 13007", false},
      {"TTBB 56001 72201 00019 22856 11975", false},
  };
  const Upperair upperair(CataloguePath());
  for (const auto& c : cases) {
    UpperairRecord record;
    record.Raw = c.raw;
    EXPECT_EQ(upperair.FindTTAAStation(&record), c.identified) << c.raw;
    if (!c.identified) continue;
    EXPECT_EQ(record.Station.Id, "72201");
    EXPECT_EQ(wxString(record.Station.Name).Trim(), "KEY WEST INTERNATIO");
    EXPECT_NEAR(record.Station.Latitude, 24.55f, 1e-3);
    EXPECT_NEAR(record.Station.Longitude, -81.7667f, 1e-3);
    EXPECT_EQ(record.Station.Elevation, 3);
    EXPECT_TRUE(record.Station.Time.empty());
    EXPECT_TRUE(record.Levels.empty());  // identification decodes nothing
  }
}

TEST(Upperair, IdentifiesTtbbAndPpbbPartsByTheirOwnWord) {
  const Upperair upperair(CataloguePath());
  UpperairPart part;
  part.Raw = "TTBB 6212/ 72201 00019 22856 11975 20056";
  EXPECT_TRUE(upperair.FindTTBBStation(&part));
  EXPECT_FALSE(upperair.FindPPBBStation(&part));
  part.Raw = "PPBB 62120 10015 90012 13007 13508 14010";
  EXPECT_FALSE(upperair.FindTTBBStation(&part));
  EXPECT_TRUE(upperair.FindPPBBStation(&part));
  EXPECT_EQ(wxString(part.Station.Name).Trim(), "Helgoland");  // the first of two catalogue lines
}

}  // namespace
