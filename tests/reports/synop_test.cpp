#include "reports/synop.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/test_paths.h"
#include "reports/bulletin_split.h"
#include "reports/geometry.h"
#include "reports/report_text.h"

// Found by argument-dependent lookup, so at the record's own (global) scope.
bool operator==(const SynopCloudGroup& a, const SynopCloudGroup& b) {
  return a.Genus == b.Genus && a.Amount == b.Amount && a.Base == b.Base;
}
void PrintTo(const SynopCloudGroup& g, std::ostream* os) {
  *os << "{genus " << int(g.Genus) << ", amount " << int(g.Amount) << ", base " << g.Base << "}";
}

namespace {

const char* kCatalogue = "station_catalogue_small.dat";

wxString Fixture(const char* name) { return testsupport::ReadLatin1(testsupport::FixturePath(name)); }

ClSynop Catalogue() { return ClSynop(wxString(testsupport::FixturePath(kCatalogue))); }

// The pieces of a SYNOP text identified as the loader does: each with the last header before it.
std::vector<SynopRecord> IdentifyAll(const ClSynop& synop, const wxString& text) {
  std::vector<SynopRecord> found;
  wxString header;
  for (const wxString& piece : SplitBulletinPieces(text)) {
    SynopRecord record;
    record.Raw = piece;
    record.Header = header;
    if (synop.FindSynopStation(&record)) found.push_back(record);
    header = SynopHeaderAfter(piece, header);
  }
  return found;
}

const wxString kSpecimen =
    "AAXX 12181 10015 41480 72504 10036 20016 39821 40218 57009 83630 333 81820\r\n83358";

struct IdentifyCase {
  const char* raw;
  const char* header;
  bool identified;
  const char* id;
};

TEST(FindSynopStation, Pieces) {
  const IdentifyCase cases[] = {
      {"AAXX 12181 10015 41480 72504 10036 20016 39821 40218 57009 83630", "", true, "10015"},
      {"SMDL01 EDZW 121800\nAAXX 12181\n10015 41480 72504 10036 20016 39821", "", true, "10015"},
      {"AAXX 12181 10015 41480 72504 10036 2001", "", false, ""},       // 39 characters
      {"AAXX 12181 10015 41480 72504 10036 20016", "", true, "10015"},  // 40
      {"aaxx 12181 10015 41480 72504 10036 20016 39821", "", false, ""},
      {"AAXX 12181 99999 41480 72504 10036 20016 39821", "", false, "99999"},
      {"AAXX 1218/ 1001/ 41480 72504 10036 20016 39821", "", false, ""},
      // A station after the first of a bulletin, with and without the header seen before it.
      {"\n11010 35561 /2504 11031 21043 39946 40345 57009", "AAXX 19001", true, "11010"},
      {"\n11010 35561 /2504 11031 21043 39946 40345 57009", "", false, ""},
      // A NIL report carries nothing to decode.
      {"\n\nSMCA02 KWBC 141800\nAAXX 14184\n78318 NIL", "", false, "78318"},
      // A ship section: its buoy numbers are no land stations, whatever the header before.
      {"\n\nSNVD15 KWBC 190700\nBBXX\n41009 19071 99285 70802 46/// /2601 10205", "AAXX 19001", false, ""},
  };
  const ClSynop synop = Catalogue();
  for (const auto& c : cases) {
    SynopRecord record;
    record.Raw = c.raw;
    record.Header = c.header;
    EXPECT_EQ(synop.FindSynopStation(&record), c.identified) << c.raw;
    EXPECT_EQ(record.Station.Id, c.id) << c.raw;
  }
}

// Groups are separated by ASCII white space only: bytes 0x85 and 0xA0 of a Latin-1 feed are not
// blanks, while tabs and line breaks are.
TEST(FindSynopStation, OnlyAsciiWhiteSpaceSeparatesGroups) {
  struct SeparatorCase {
    const char* separator;
    bool identified;
  };
  const SeparatorCase cases[] = {{" ", true}, {"\t", true}, {"\r\n", true}, {"\xA0", false}, {"\x85", false}};
  const ClSynop synop = Catalogue();
  for (const auto& c : cases) {
    const std::string raw = std::string("AAXX") + c.separator + "12181" + c.separator +
                            "10015 41480 72504 10036 20016 39821 40218 57009";
    SynopRecord record;
    record.Raw = Latin1ToString(raw.data(), raw.size());
    EXPECT_EQ(synop.FindSynopStation(&record), c.identified)
        << int(static_cast<unsigned char>(c.separator[0]));
  }
}

TEST(FindSynopStation, TakesTheFirstCatalogueLineAndAnEmptyTime) {
  const ClSynop synop = Catalogue();
  SynopRecord record;
  record.Raw = kSpecimen;
  record.Station.Time = "stale";
  ASSERT_TRUE(synop.FindSynopStation(&record));
  EXPECT_EQ(wxString(record.Station.Name).Trim(), "Helgoland");  // not the duplicate line
  EXPECT_NEAR(record.Station.Latitude, 54.1833f, 1e-3);
  EXPECT_NEAR(record.Station.Longitude, 7.9f, 1e-3);
  EXPECT_EQ(record.Station.Elevation, 13);
  EXPECT_TRUE(record.Station.Time.empty());
}

// Real bulletins carry "AAXX YYGGi" once; every station of them must be found.
TEST(FindSynopStation, EveryStationOfRealMultiStationBulletins) {
  const auto found = IdentifyAll(Catalogue(), Fixture("synop_multi_station_bulletins.txt"));
  std::vector<wxString> ids;
  for (const auto& r : found) ids.push_back(r.Station.Id);
  const std::vector<wxString> expected = {"11036", "11010", "11120", "11150", "11240", "78255",
                                          "11816", "11826", "11903", "11934", "11968"};
  EXPECT_EQ(ids, expected);  // the NIL reports and the ship section are left out
  for (auto record : found) {
    EXPECT_TRUE(DecodeSynop(&record)) << record.Raw;
    EXPECT_EQ(record.Station.Time, record.Station.Id == "78255" ? "1418" : "1900") << record.Raw;
  }
}

TEST(FindSynopStation, RealBulletinsAgainstTheShippedCatalogue) {
  const ClSynop synop(wxString(testsupport::CataloguePath("station.dat")));
  const auto found = IdentifyAll(synop, Fixture("synop_multi_station_bulletins.txt"));
  EXPECT_EQ(found.size(), 11u);
}

TEST(SynopHeaderAfter, FollowsSectionsAndBulletins) {
  struct Case {
    const char* piece;
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"SMOS01 LOWM 190000\nAAXX 19001\n11036 32565 73208", "", "AAXX 19001"},
      {"\n11010 35561 /2504 11031", "AAXX 19001", "AAXX 19001"},
      {"\n\nSNVD15 KWBC 190700\nBBXX\n41009 19071 99285", "AAXX 19001", ""},
      {"\nSNCN19 CWAO 280023\nOOXX\nMRP43 27221", "AAXX 19001", ""},
      {"\n\nSMVE01 KWBC 141800 RRA\n", "AAXX 19001", ""},  // a new bulletin heading
      {"\nNNNN\n", "AAXX 19001", ""},
      {"SMMJ01 LWOH 190000\nAAXX 1900\n13579 32998 03606", "AAXX 19001", ""},  // broken header
      {"ZCZC\nSM 190600\nAAXX 19064\n72358 14/// /1019", "", "AAXX 19064"},
  };
  for (const auto& c : cases) EXPECT_EQ(SynopHeaderAfter(c.piece, c.before), c.after) << c.piece;
}

struct DecodeCase {
  const char* raw;
  const char* time;
  double visibilityNm;
  int low, middle, high;
  std::vector<SynopCloudGroup> clouds;  // {genus, amount, base}
};

TEST(DecodeSynop, Groups) {
  const DecodeCase cases[] = {
      {"AAXX 12181 10015 41480 72504 10036 20016 39821 40218 57009 83630 333 81820\r\n83358",
       "1218",
       30 / 1.852,
       6,
       3,
       0,
       {{8, 1, 2000}, {3, 3, 8000}}},
      {"AAXX 12181 10015 41495 72504 10036", "1218", 1.07, 10, 10, 10, {}},
      {"AAXX 12181 10015 41485 72504 10036", "1218", 55 / 1.852, 10, 10, 10, {}},
      {"AAXX 12181 10015 41400 72504 10036", "1218", 0.0, 10, 10, 10, {}},
      {"AAXX 12181 10015 414// 72504 10036", "1218", -1.0, 10, 10, 10, {}},
      {"AAXX 12181 10015 414/5 72504 10036", "1218", -1.0, 10, 10, 10, {}},  // half a code is none
      {"AAXX 12181 10015 41425 72504 10036", "1218", 2.5 / 1.852, 10, 10, 10, {}},
      {"AAXX 12181 10015 41499 72504 10036", "1218", 40.0, 10, 10, 10, {}},
      {"AAXX 12181 10015 41480 72504 8////", "1218", 30 / 1.852, 0, 0, 0, {}},
      {"AAXX 12181 10015 41480 72504 333 8/7//", "1218", 30 / 1.852, 10, 10, 10, {{7, 10, 0}}},
      // 444 (clouds below the station, N'C'H'H'Ct) and 555 (national groups) end section 3: their
      // 8-groups are no cloud groups.
      {"AAXX 12181 10015 41480 72504 333 83630 444 86154 555 80170",
       "1218",
       30 / 1.852,
       10,
       10,
       10,
       {{6, 3, 3000}}},
      {"AAXX 28061 11406 01465 39901 10182 20150 39593 40153 52003 60002 703// 83101 333 20135 30009 50254 "
       "60005 70000 83813 555 382// 50176 60175 70179 80170 90150",
       "2806",
       15 / 1.852,
       1,
       0,
       1,
       {{8, 3, 1300}}},
      {"AAXX 26184\n\n04018 21245 82021 10080 20076 40173 58016 72052 886// 333 10107 20079 69918 555 3//22 "
       "88703",
       "2618",
       4.5 / 1.852,
       6,
       0,
       0,
       {}},
      // Bases: up to 50 hundreds (50 the last of them), 56-80 thousands, 81-89 by 5000 ft clamped
      // to 16 bits, 90-99 the lower end of the range.
      {"AAXX 12181 10015 41480 72504 333 81850 81856 81860 81881 81888 81889 81890 81894 81899",
       "1218",
       30 / 1.852,
       10,
       10,
       10,
       {{8, 1, 5000},
        {8, 1, 6000},
        {8, 1, 10000},
        {8, 1, 35000},
        {8, 1, 65535},
        {8, 1, 65535},
        {8, 1, 0},
        {8, 1, 984},
        {8, 1, 8202}}},
      // A three-digit group is never an 8-group: 866 must not overwrite the cloud types of 86500.
      {"AAXX 27064\n\n04018 42584 62909 10061 20035 40224 52020 86500 555 3//11 8662.04048 4211",
       "2706",
       26.99784017,
       5,
       0,
       0,
       {}},
      // Section 2 carries 8swTbTbTb (wet bulb): no cloud types.
      {"AAXX 23061 10004 46/29 /2313 10143 81500 222// 00140 80220 333 10153",
       "2306",
       2.9 / 1.852,
       5,
       0,
       0,
       {}},
      // 555 (national groups, here Keflavik's) and 444 (clouds below the station) carry 8-groups
      // that are no cloud types: CL, CM, CH stay those of 81258 and 86500.
      {"AAXX 26064\n04018 42588 60507 10006 21025 40109 51002 81258 555 3//07 81830 83357 85363",
       "2606",
       70 / 1.852,
       2,
       5,
       8,
       {}},
      {"AAXX 23061 15108 02298 62702 10135 20135 38165 48563 53002 60022 86500 444 86154",
       "2306",
       10.79,
       5,
       0,
       0,
       {}},
  };
  for (const auto& c : cases) {
    SynopRecord record;
    record.Raw = c.raw;
    ASSERT_TRUE(DecodeSynop(&record)) << c.raw;
    EXPECT_EQ(record.Station.Time, c.time) << c.raw;
    EXPECT_NEAR(record.Visibility, c.visibilityNm, 1e-6) << c.raw;
    EXPECT_EQ(record.LowCloudType, c.low) << c.raw;
    EXPECT_EQ(record.MiddleCloudType, c.middle) << c.raw;
    EXPECT_EQ(record.HighCloudType, c.high) << c.raw;
    EXPECT_EQ(record.CloudGroups, c.clouds) << c.raw;
  }
}

TEST(DecodeSynop, NilAndCutOffPiecesFailWithNothingSet) {
  for (const char* raw : {"AAXX 23034 08055 NIL", "\n\nAAXX 22184 08042 02680", "", "no report at all"}) {
    SynopRecord record;
    record.Raw = raw;
    EXPECT_FALSE(DecodeSynop(&record)) << raw;
    EXPECT_TRUE(record.Station.Time.empty()) << raw;
    EXPECT_EQ(record.Visibility, kSynopNoVisibility) << raw;
    EXPECT_EQ(record.LowCloudType, kSynopCloudTypeNotGiven) << raw;
    EXPECT_TRUE(record.CloudGroups.empty()) << raw;
  }
  EXPECT_EQ(SynopRecord().Visibility, kSynopNoVisibility);
}

TEST(DecodeSynop, PieceOfABulletinWithItsHeaderAndRepeatedDecodes) {
  SynopRecord record;
  record.Raw = "\n11816 32565 63603 10006 21030 30124 40294 57006 83830\n333 55002 82820 86360";
  record.Header = "AAXX 19001";
  ASSERT_TRUE(DecodeSynop(&record));
  ASSERT_TRUE(DecodeSynop(&record));  // a second decode starts afresh
  EXPECT_EQ(record.Station.Time, "1900");
  EXPECT_NEAR(record.Visibility, 15 / 1.852, 1e-9);
  EXPECT_EQ(record.LowCloudType, 8);
  ASSERT_EQ(record.CloudGroups.size(), 2u);
  EXPECT_EQ(record.CloudGroups[1].Base, 10000);
}

SynopRecord At(float latitude, float longitude) {
  SynopRecord record;
  record.Station.Latitude = latitude;
  record.Station.Longitude = longitude;
  return record;
}

float LongitudeAtKm(double km) { return static_cast<float>(km / kEarthRadiusKm * 180.0 / M_PI); }

TEST(NearestSynop, LimitTiesAndColocation) {
  std::vector<SynopRecord> synops;
  EXPECT_EQ(NearestSynop(0.0f, 0.0f, &synops), -1);

  synops = {At(0.0f, LongitudeAtKm(300.01)), At(0.0f, LongitudeAtKm(299.99))};
  EXPECT_EQ(NearestSynop(0.0f, 0.0f, &synops), 1);
  synops.pop_back();
  EXPECT_EQ(NearestSynop(0.0f, 0.0f, &synops), -1);

  synops = {At(0.0f, 1.0f), At(0.0f, -1.0f), At(0.5f, 0.5f)};
  EXPECT_EQ(NearestSynop(0.0f, 0.0f, &synops), 2);
  synops.pop_back();
  EXPECT_EQ(NearestSynop(0.0f, 0.0f, &synops), 1);  // equal distances: the later one

  // The METAR station stands where the SYNOP station stands.
  synops = {At(54.1833f, 7.9f), At(48.12f, 16.57f), At(54.1833f, 7.9f), At(54.2f, 7.9f)};
  EXPECT_EQ(NearestSynop(54.1833f, 7.9f, &synops), 2);
}

}  // namespace
