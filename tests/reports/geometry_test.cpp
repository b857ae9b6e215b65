#include "reports/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

struct AngleCase {
  double lat1, lon1, lat2, lon2;
  double km;
};

TEST(GreatCircle, KnownDistances) {
  const AngleCase cases[] = {
      {0, 0, 0, 1, 111.32},
      {0, 0, 0, 90, 10018.75},
      {50.0333, 8.5706, 40.6398, -73.7789, 6196.4},  // Frankfurt to New York, roughly
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(DistanceKm(c.lat1, c.lon1, c.lat2, c.lon2), c.km, c.km * 0.002) << c.lat2 << "," << c.lon2;
  }
  EXPECT_NEAR(GreatCircleAngle(0, 0, 0, 1), 0.017453292519, 1e-9);
  EXPECT_NEAR(KmToNauticalMiles(DistanceKm(0, 0, 0, 1)), 60.11, 0.01);
}

// Float positions widened to double used to give a cosine sum just above 1 and a NaN distance.
TEST(GreatCircle, EqualPositionsGiveZeroNeverNaN) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> lat(-90.0f, 90.0f), lon(-180.0f, 180.0f);
  for (int i = 0; i < 20000; ++i) {
    const double la = lat(random), lo = lon(random);
    const double angle = GreatCircleAngle(la, lo, la, lo);
    ASSERT_FALSE(std::isnan(angle)) << la << "," << lo;
    ASSERT_LT(angle, 1e-6);
  }
  EXPECT_FALSE(std::isnan(GreatCircleAngle(10, 20, -10, -160)));  // antipodes
}

TEST(GreatCircle, InitialCourse) {
  EXPECT_NEAR(InitialCourse(50, 8, 50, 7), 4.7191, 1e-4);
  EXPECT_NEAR(InitialCourse(50, 8, 50, 9), 1.5641, 1e-4);
  EXPECT_NEAR(InitialCourse(50, 8, 51, 9), 0.5598, 1e-4);
  EXPECT_NEAR(Rad2Deg(InitialCourse(50, 8, 51, 9)), 32.07, 0.01);
  EXPECT_EQ(InitialCourse(50, 8, 50, 8), 0.0);
  EXPECT_FALSE(std::isnan(InitialCourse(50.0333f, 8.5706f, 50.0333f, 8.5706f)));
}

}  // namespace
