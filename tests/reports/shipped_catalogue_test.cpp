#include <gtest/gtest.h>

#include <filesystem>

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

TEST(ShippedCatalogues, AirportDatReadsBack) {
  ClMetar metar;
  ASSERT_TRUE(metar.LoadAirports(testsupport::CataloguePath("airport.dat")));
  ASSERT_GT(metar.GetAirports().size(), 6000u);
  struct Known {
    const char* report;
    const char* name;
    int elevationFt;
    double latitude, longitude;
  };
  const Known known[] = {
      {"EDDF 121250Z 27015G25KT 9999 Q1013", "Frankfurt / M-Flughafen", 364, 50.05, 8.6},
      {"KJFK 121251Z 31008KT 10SM A3012", "KENNEDY INTERNATIONAL AIRPORT", 13, 40.6333, -73.7667},
      {"EHAM 121255Z 24012KT 9999 Q1015", "Amsterdam Airport Schiphol", -13, 52.3, 4.7667},
  };
  for (const Known& k : known) {
    MetarRecord record;
    record.Raw = k.report;
    ASSERT_TRUE(metar.FindMetarStation(&record)) << k.report;
    EXPECT_EQ(record.Name, k.name);
    EXPECT_EQ(record.Elevation, k.elevationFt);
    EXPECT_NEAR(record.Latitude, k.latitude, 1e-4);
    EXPECT_NEAR(record.Longitude, k.longitude, 1e-4);
  }
  for (const StationEntry& airport : metar.GetAirports()) {
    ASSERT_EQ(airport.Id.length(), 4u);
    ASSERT_TRUE(airport.Id.IsAscii());
  }
}

}  // namespace
