#include "base/saturate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

TEST(Saturate, ClampsIntoTheNarrowerField) {
  EXPECT_EQ(saturate<std::uint16_t>(-11), 0);
  EXPECT_EQ(saturate<std::uint16_t>(144192), 65535);  // Q9012 in sixteenths
  EXPECT_EQ(saturate<std::uint16_t>(65535), 65535);
  EXPECT_EQ(saturate<std::uint16_t>(std::uint32_t{70000}), 65535);
  EXPECT_EQ(saturate<std::int16_t>(-40000), -32768);
  EXPECT_EQ(saturate<std::int16_t>(40000), 32767);
  EXPECT_EQ(saturate<std::int16_t>(std::uint16_t{65535}), 32767);
  EXPECT_EQ(saturate<std::uint8_t>(400), 255);
  EXPECT_EQ(saturate<std::int64_t>(std::uint64_t{1} << 63), INT64_MAX);
}

TEST(Saturate, TruncatesRealsTowardZero) {
  EXPECT_EQ(saturate<std::int16_t>(-33.35), -33);
  EXPECT_EQ(saturate<std::uint16_t>(1523.99), 1523);
  EXPECT_EQ(saturate<std::uint16_t>(-3.35), 0);
  EXPECT_EQ(saturate<std::uint16_t>(1e12), 65535);
  EXPECT_EQ(saturate<std::int16_t>(-1e12), -32768);
  EXPECT_EQ(saturate<std::int32_t>(std::nan("")), 0);
}

TEST(AngleWord, FoldsWholeTurns) {
  struct Case {
    double degrees;
    std::uint16_t word;
  };
  const Case cases[] = {{0, 0},      {270, 49152}, {274, 49880}, {359, 65353},     {360, 0},
                        {370, 1820}, {-1, 65354},  {40, 7281},   {720 + 90, 16384}};
  for (const Case& c : cases) EXPECT_EQ(AngleWord(c.degrees), c.word) << c.degrees;
}

}  // namespace
