#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "common/test_paths.h"
#include "reports/metar.h"
#include "reports/weather_station.h"

namespace {

class ShippedStations : public ClWeatherStation {
 public:
  using ClWeatherStation::FindStation;
  using ClWeatherStation::Stations;
};

TEST(ShippedCatalogues, StationDatReadsBack) {
  testsupport::ScopedWorkDir dir;
  std::filesystem::copy_file(testsupport::CataloguePath("station.dat"), "station.dat");
  ShippedStations catalogue;
  ASSERT_GT(catalogue.Stations.size(), 11000u);

  const std::size_t frankfurt = catalogue.FindStation("10637");
  ASSERT_NE(frankfurt, StationIndex::npos);
  const StationEntry& e = catalogue.Stations[frankfurt];
  EXPECT_TRUE(e.Name.StartsWith("Frankfurt"));
  EXPECT_NEAR(e.Latitude, 50.05f, 0.001f);
  EXPECT_NEAR(e.Longitude, 8.6f, 0.001f);
  EXPECT_EQ(e.Elevation, 364);  // 111 m

  const std::size_t jfk = catalogue.FindStation("74486");
  ASSERT_NE(jfk, StationIndex::npos);
  EXPECT_NEAR(catalogue.Stations[jfk].Longitude, -73.7667f, 0.001f);
  for (const StationEntry& station : catalogue.Stations) {
    ASSERT_EQ(station.Id.length(), 5u);
    ASSERT_LE(std::abs(station.Latitude), 90.0f) << station.Id;
    ASSERT_LE(std::abs(station.Longitude), 180.0f) << station.Id;
  }
}

struct KnownAirport {
  const char* report;
  const char* name;
  int elevationFt;
  double latitude, longitude;
};

void ExpectPlaced(const ClMetar& catalogue, const KnownAirport& k) {
  MetarRecord record;
  record.Raw = k.report;
  ASSERT_TRUE(catalogue.FindMetarStation(&record)) << k.report;
  EXPECT_EQ(record.Name, wxString(k.name, wxConvISO8859_1)) << k.report;
  EXPECT_EQ(record.Elevation, k.elevationFt) << k.report;
  EXPECT_NEAR(record.Latitude, k.latitude, 1e-4) << k.report;
  EXPECT_NEAR(record.Longitude, k.longitude, 1e-4) << k.report;
}

TEST(ShippedCatalogues, AirportDatReadsBack) {
  ClMetar metar;
  ASSERT_TRUE(metar.LoadAirports(testsupport::CataloguePath("airport.dat")));
  ASSERT_GT(metar.GetAirports().size(), 19000u);
  const KnownAirport known[] = {
      {"EDDF 121250Z 27015G25KT 9999 Q1013", "Frankfurt / M-Flughafen", 364, 50.05, 8.6},
      {"KJFK 121251Z 31008KT 10SM A3012", "KENNEDY INTERNATIONAL AIRPORT", 13, 40.6333, -73.7667},
      {"EHAM 121255Z 24012KT 9999 Q1015", "Amsterdam Airport Schiphol", -13, 52.3, 4.7667},
  };
  for (const KnownAirport& k : known) ExpectPlaced(metar, k);
}

// Stations of the real sample feed that only the OurAirports rows place (their reports as they came).
TEST(ShippedCatalogues, AirportsOnlyOurAirportsHas) {
  ClMetar metar;
  ASSERT_TRUE(metar.LoadAirports(testsupport::CataloguePath("airport.dat")));
  const KnownAirport known[] = {
      {"ORMM 141450Z 35004KT 9999 SCT300 33/11 Q1012 BLU NOSIG", "Basra International Airport", 11, 30.5491,
       47.6621},
      {"OAKN 171150Z 26009KT 9000 HZ SCT250 17/M07 Q1024", "Ahmad Shah Baba International Airport", 3337,
       31.5058, 65.848},
      {"KXFL 171155Z 22007KT 10SM OVC011 21/19 A2987", "Flagler Executive Airport", 33, 29.4674, -81.2063},
      {"EHSA 171125Z AUTO 28021G24KT 9999 07/05 Q1015 W06/S4", "Europlatform Heliport", 62, 51.9979, 3.2748},
      // Names keep their Latin-1 letters; others are spelt without their accents.
      {"EKFA 310650Z 28006KT 9999 BKN030 06/02 Q0997",
       "Fro\xF0"
       "ba Heliport",
       77, 61.5437, -6.7744},
      {"UTAT 171200Z 01006MPS CAVOK M02/M10 Q1037 NOSIG", "Dasoguz Airport", 272, 41.7599, 59.8361},
  };
  for (const KnownAirport& k : known) ExpectPlaced(metar, k);
}

// Where both lists hold a code, NOAA's entry is the one in the catalogue; where its position
// lies more than 5 km from the airfield's, it takes the airfield's position and elevation and
// keeps its name. The pinned rows these come from, and the reports that name them, as they came.
TEST(ShippedCatalogues, FarFromTheAirfieldNoaaEntryTakesItsPlace) {
  const std::string pinned = testsupport::ReadBytes(testsupport::CataloguePath("sources/airport-db.csv"));
  for (const char* row : {"\nKLAS,Harry Reid International Airport,2181,36.083361,-115.151817\n",
                          "\nPAOR,Northway Airport,1715,62.961300,-141.929001\n",
                          "\nEGLC,London City Airport,19,51.505299,0.055278\n",
                          "\nEDDF,Frankfurt Main Airport,364,50.026706,8.558350\n"}) {
    ASSERT_NE(pinned.find(row), std::string::npos) << row;
  }

  ClMetar metar;
  ASSERT_TRUE(metar.LoadAirports(testsupport::CataloguePath("airport.dat")));
  const KnownAirport known[] = {
      // NOAA: 36.1167 -115.2667, 11 km away.
      {"KLAS 141456Z 00000KT 10SM CLR 17/03 A2995", "MCCARRAN INTERNATIONAL AIRPORT", 2181, 36.0834,
       -115.1518},
      // NOAA: 141.9333 E, on the other side of the date line.
      {"PAOR 141553Z 00000KT 10SM SCT110 M09/M11 A2932 RMK AO2 SLP964 T10891106", "NORTHWAY AIRPORT", 1715,
       62.9613, -141.929},
      // NOAA: 47.6333 N, 1,784 km north.
      {"KFHU 141456Z AUTO 27003KT 10SM CLR 14/02 A3000 RMK AO2 SLP114 T01440017 53015 TSNO",
       "Fort Huachuca Libby AAF Ft Huachuca", 4719, 31.5874, -110.3482},
      // NOAA: 51.5 -0.5, 2 NM from Heathrow.
      {"EGLC 141450Z 15004KT CAVOK 18/10 Q1018", "London City Airport", 19, 51.5053, 0.0553},
      // 3.9 km apart: NOAA's entry stays whole.
      {"EDDF 121250Z 27015G25KT 9999 Q1013", "Frankfurt / M-Flughafen", 364, 50.05, 8.6},
  };
  for (const KnownAirport& k : known) ExpectPlaced(metar, k);
}

// The reader takes any bytes; the rules the file keeps are checked on its bytes.
TEST(ShippedCatalogues, AirportDatKeepsItsFormat) {
  const std::string bytes = testsupport::ReadBytes(testsupport::CataloguePath("airport.dat"));
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  std::set<std::string> codes;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "line at byte " << start << " does not end in CR LF";
    const std::string line = bytes.substr(start, end - start);
    start = end + 2;
    const std::string code = line.substr(0, 4);
    ASSERT_TRUE(line.size() > 5 && line[4] == ',') << line;
    for (const char c : code) ASSERT_TRUE(c >= 'A' && c <= 'Z') << line;
    ASSERT_TRUE(codes.insert(code).second) << "duplicate " << line;
    ASSERT_EQ(std::count(line.begin(), line.end(), ','), 4) << line;
    for (const char c : line) {
      const auto byte = static_cast<unsigned char>(c);
      // Control bytes, C1 included, would be a name that was not turned into Latin-1 text.
      ASSERT_TRUE(byte >= 0x20 && byte != 0x7F && !(byte >= 0x80 && byte < 0xA0)) << line;
    }
  }
}

}  // namespace
