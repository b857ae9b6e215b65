#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "common/test_paths.h"
#include "record_bytes.h"
#include "reports/metar.h"
#include "simlink/convert_weather.h"

namespace {

using namespace recordbytes;

// A record full of a byte pattern, so that any byte the conversion forgets to write shows.
NewWeather PatternRecord() {
  NewWeather record;
  std::memset(&record, 0xA5, sizeof record);
  return record;
}

MetarRecord Metar(const char* icao, std::int32_t elevationFt) {
  MetarRecord metar;
  metar.Icao = wxString::FromUTF8(icao);
  metar.Elevation = elevationFt;
  metar.WindDirection = 270;
  metar.WindSpeed = 10;
  metar.Visibility = kUnrestrictedVisibilityM;
  metar.Temperature = 15;
  metar.DewPoint = 5;
  metar.Pressure = 1013;
  return metar;
}

OptionData Options(bool gust, bool turbulence) {
  OptionData options;
  options.SurfaceWindGust = gust;
  options.TurbulenceCloud = turbulence;
  return options;
}

NewWeatherBytes Convert(const MetarRecord& metar, const OptionData& options) {
  NewWeather record = PatternRecord();
  ClConvertWeather converter(options);
  EXPECT_TRUE(converter.ConvertMetar(&record, &metar));
  return ToBytes(record);
}

// EHAM lies 11 ft below sea level: its station-level layers sit at 0 m, not at 65533 m.
TEST(ConvertMetar, WritesEveryByteOfTheRecord) {
  MetarRecord metar = Metar("EHAM", -11);
  metar.Clouds.push_back({3, 1200, wxString()});
  metar.PresentWeather = wxS("-RA ");
  metar.Intensity = 1;

  NewWeatherBytes expected{};  // every byte no rule writes is 0
  const std::vector<Field> header = {
      U16(0, 0x101),
      U8(8, 'E'),
      U8(9, 'H'),
      U8(10, 'A'),
      U8(11, 'M'),
      U16(40, 16208),
      U16(44, 4362),
      I16(46, -33),
      U16(48, 1884),
      I32(52, 20),
      I32(248, 20),
      I32(636, 1),
      I32(908, 0),
      // Temperature layers 0 and 1: surface and station (clamped to 0 m).
      U16(Temp(0, 0), 0),
      I16(Temp(0, 2), 15),
      I16(Temp(0, 4), 3),
      I16(Temp(0, 6), 5),
      U16(Temp(1, 0), 0),
      I16(Temp(1, 2), 15),
      I16(Temp(1, 4), 3),
      I16(Temp(1, 6), 5),
      // Wind layers 0 and 1: assumed gust 5 kt, turbulence 1, variance only at the surface.
      U16(Wind(0, 2), 10),
      U16(Wind(0, 4), 5),
      U16(Wind(0, 6), 49152),
      U8(Wind(0, 8), 1),
      U16(Wind(0, 10), 3640),
      U16(Wind(0, 12), 65000),
      U16(Wind(1, 0), 88),
      U16(Wind(1, 2), 10),
      U16(Wind(1, 4), 5),
      U16(Wind(1, 6), 49152),
      U8(Wind(1, 8), 1),
      U16(Wind(1, 12), 65000),
      // The one cloud layer: broken at 362 m, raining from it up to 4362 m.
      U16(Cloud(0, 0), 4362),
      U16(Cloud(0, 2), 362),
      U16(Cloud(0, 4), 100),
      U8(Cloud(0, 6), 6),
      U8(Cloud(0, 7), 9),
      I16(Cloud(0, 10), -8),
      U8(Cloud(0, 12), 1),
      U8(Cloud(0, 13), 1),
  };
  for (const Field& field : header) Put(expected, field);
  // Layers 2 to 19: 1000 m apart, 2 kt stronger, veering 2 degrees, 6 degrees colder down to -52.
  for (int i = 2; i < 20; ++i) {
    Put(expected, U16(Temp(i, 0), 1000 * i));
    Put(expected, I16(Temp(i, 2), std::max(15 - 6 * i, -52)));
    Put(expected, I16(Temp(i, 4), 2));
    Put(expected, I16(Temp(i, 6), 5));
    Put(expected, U16(Wind(i, 0), 1000 * i));
    Put(expected, U16(Wind(i, 2), 10 + 2 * i));
    Put(expected, U16(Wind(i, 6), (270 + 2 * i) * 65536 / 360));
  }

  const NewWeatherBytes got = Convert(metar, Options(true, false));
  for (std::size_t offset = 0; offset < kNewWeatherSize; ++offset) {
    EXPECT_EQ(int{got[offset]}, int{expected[offset]}) << Where(offset);
  }
}

TEST(ConvertMetar, VariableWindAndSectorBytes) {
  MetarRecord metar = Metar("LFPG", 392);
  metar.WindDirection = kVariableWindDirection;
  metar.WindSpeed = 5;
  metar.WindGust = 0;
  const NewWeatherBytes got = Convert(metar, Options(false, false));
  const std::vector<Field> fields = {
      U16(Wind(0, 6), 182), U16(Wind(0, 10), 65353), U16(Wind(1, 6), 65354),
      U16(Wind(1, 10), 0),  U16(Wind(2, 6), 546),    U16(Wind(0, 4), 0),
      U8(Wind(0, 8), 0),    U16(Wind(1, 0), 210),    U16(Temp(1, 0), 119),
  };
  for (const Field& field : fields) EXPECT_EQ(Read(got, field), field.value) << Where(field.offset);
}

struct FieldCase {
  const char* name;
  std::function<void(MetarRecord&)> setup;
  bool gust;
  bool turbulence;
  std::vector<Field> expected;
};

TEST(ConvertMetar, FieldsFollowTheReport) {
  const FieldCase cases[] = {
      {"visibility 9999", [](MetarRecord& m) { m.Visibility = 9999; }, false, false, {U16(48, 1884)}},
      {"visibility 9000", [](MetarRecord& m) { m.Visibility = 9000; }, false, false, {U16(48, 565)}},
      {"visibility 5000", [](MetarRecord& m) { m.Visibility = 5000; }, false, false, {U16(48, 314)}},
      {"visibility 0", [](MetarRecord& m) { m.Visibility = 0; }, false, false, {U16(48, 0)}},
      // Beyond 32767 m a signed reading would turn negative; the range keeps growing instead.
      {"visibility 40000", [](MetarRecord& m) { m.Visibility = 40000; }, false, false, {U16(48, 2512)}},
      {"elevation 0", [](MetarRecord& m) { m.Elevation = 0; }, false, false,
       {I16(46, -30), U16(44, 1523), U16(Temp(1, 0), 0), U16(Wind(1, 0), 91)}},
      {"elevation 1000", [](MetarRecord& m) { m.Elevation = 1000; }, false, false,
       {U16(44, 1828), I16(46, 274), U16(Wind(1, 0), 396), U16(Temp(1, 0), 304)}},
      {"deep below sea level", [](MetarRecord& m) { m.Elevation = -2000; }, false, false,
       {U16(Wind(1, 0), 0), U16(Temp(1, 0), 0), U16(44, 914), I16(46, -639)}},
      {"no gust, option set", [](MetarRecord&) {}, true, false,
       {U16(Wind(0, 4), 5), U8(Wind(0, 8), 1), U16(Wind(0, 10), 3640), U16(Wind(1, 10), 0),
        U16(Wind(2, 0), 2000), U16(Wind(2, 2), 14), U16(Wind(2, 6), 49880)}},
      {"no gust, option off", [](MetarRecord&) {}, false, false,
       {U16(Wind(0, 4), 0), U8(Wind(0, 8), 0), U16(Wind(0, 10), 0)}},
      {"gust option off ignores G30", [](MetarRecord& m) { m.WindSpeed = 15, m.WindGust = 30; }, false, false,
       {U16(Wind(0, 4), 0), U8(Wind(0, 8), 0)}},
      {"27015G30", [](MetarRecord& m) { m.WindSpeed = 15, m.WindGust = 30; }, true, false,
       {U16(Wind(0, 4), 15), U8(Wind(0, 8), 2), U16(Wind(1, 4), 15), U8(Wind(1, 8), 2)}},
      {"27015G25", [](MetarRecord& m) { m.WindSpeed = 15, m.WindGust = 25; }, true, false,
       {U16(Wind(0, 4), 10), U8(Wind(0, 8), 2)}},
      {"27015G19", [](MetarRecord& m) { m.WindSpeed = 15, m.WindGust = 19; }, true, false,
       {U16(Wind(0, 4), 4), U8(Wind(0, 8), 0)}},
      {"27010G50", [](MetarRecord& m) { m.WindGust = 50; }, true, false, {U16(Wind(0, 4), 40), U8(Wind(0, 8), 4)}},
      {"gust below the mean", [](MetarRecord& m) { m.WindSpeed = 15, m.WindGust = 12; }, true, false,
       {U16(Wind(0, 4), 65533), U8(Wind(0, 8), 4)}},
      {"sector 350V030", [](MetarRecord& m) { m.VariableFrom = 350, m.VariableTo = 30; }, false, false,
       {U16(Wind(0, 10), 7281), U16(Wind(1, 10), 0)}},
      {"sector 200V260", [](MetarRecord& m) { m.VariableFrom = 200, m.VariableTo = 260; }, true, false,
       {U16(Wind(0, 10), 10922)}},
      {"direction 350 veers past north", [](MetarRecord& m) { m.WindDirection = 350; }, false, false,
       {U16(Wind(10, 6), 1820), U16(Wind(5, 6), 0)}},
      {"direction 360 folds onto 0", [](MetarRecord& m) { m.WindDirection = 360; }, false, false,
       {U16(Wind(0, 6), 0), U16(Wind(2, 6), 728)}},
      {"temperature 15 aloft", [](MetarRecord&) {}, false, false,
       {I16(Temp(2, 2), 3), I16(Temp(11, 2), -51), I16(Temp(12, 2), -52), I16(Temp(19, 2), -52)}},
      {"dew point constant aloft", [](MetarRecord& m) { m.DewPoint = -3; }, false, false,
       {I16(Temp(0, 6), -3), I16(Temp(19, 6), -3)}},
      {"Q9012 saturates", [](MetarRecord& m) { m.Pressure = 9012; }, false, false, {U16(40, 65535)}},
      {"negative pressure", [](MetarRecord& m) { m.Pressure = -5; }, false, false, {U16(40, 0)}},
      {"gale aloft saturates", [](MetarRecord& m) { m.WindSpeed = 65530; }, false, false,
       {U16(Wind(0, 2), 65530), U16(Wind(2, 2), 65534), U16(Wind(3, 2), 65535), U16(Wind(19, 2), 65535)}},
      {"absurd temperature saturates", [](MetarRecord& m) { m.Temperature = 40000; }, false, false,
       {I16(Temp(0, 2), 32767), I16(Temp(2, 2), 32767)}},
      {"no cloud", [](MetarRecord& m) { m.Elevation = 0; }, false, false, {I32(636, 0), U16(44, 1523)}},
      {"BKN012 -RA", [](MetarRecord& m) {
         m.Elevation = 0, m.Clouds = {{3, 1200, wxString()}}, m.PresentWeather = wxS("-RA "), m.Intensity = 1;
       }, false, false,
       {U8(Cloud(0, 6), 6), U16(Cloud(0, 2), 365), U16(Cloud(0, 0), 4365), U16(Cloud(0, 4), 100),
        U8(Cloud(0, 12), 1), U8(Cloud(0, 13), 1), U8(Cloud(0, 7), 9), I16(Cloud(0, 10), -5), U16(44, 4365)}},
      {"drizzle with turbulence", [](MetarRecord& m) {
         m.Clouds = {{4, 800, wxString()}}, m.PresentWeather = wxS("DZ ");
       }, false, true, {U8(Cloud(0, 8), 2), U8(Cloud(0, 12), 1), U8(Cloud(0, 13), 3)}},
      {"TSRA at 2500 ft", [](MetarRecord& m) {
         m.Elevation = 0, m.Clouds = {{3, 2500, wxS("CB")}}, m.PresentWeather = wxS("TSRA ");
       }, false, true, {U16(Cloud(0, 0), 10000), U8(Cloud(0, 12), 1), U8(Cloud(0, 7), 10), U8(Cloud(0, 8), 3)}},
      {"TS at 3000 ft is no thunderstorm type", [](MetarRecord& m) {
         m.Clouds = {{3, 3000, wxString()}}, m.PresentWeather = wxS("TS ");
       }, false, true, {U8(Cloud(0, 7), 9), U16(Cloud(0, 0), 10000), U8(Cloud(0, 8), 1)}},
      {"SHSN at -2", [](MetarRecord& m) {
         m.Temperature = -2, m.Clouds = {{2, 2000, wxString()}}, m.PresentWeather = wxS("SHSN ");
       }, false, false, {U8(Cloud(0, 12), 2), U16(Cloud(0, 0), 6000)}},
      {"-SHSN at 0 is snow", [](MetarRecord& m) {
         m.Temperature = 0, m.Clouds = {{1, 2000, wxString()}}, m.PresentWeather = wxS("-SHSN "), m.Intensity = 1;
       }, false, false, {U8(Cloud(0, 12), 2), U8(Cloud(0, 13), 1), U16(Cloud(0, 0), 6000)}},
      {"SHRA at 1 is rain", [](MetarRecord& m) {
         m.Temperature = 1, m.Clouds = {{2, 2000, wxString()}}, m.PresentWeather = wxS("SHRA ");
       }, false, false, {U8(Cloud(0, 12), 1), U16(Cloud(0, 0), 6000)}},
      {"SHRA at 14", [](MetarRecord& m) {
         m.Temperature = 14, m.Clouds = {{2, 2000, wxString()}}, m.PresentWeather = wxS("SHRA ");
       }, false, false, {U8(Cloud(0, 12), 1), U16(Cloud(0, 0), 6000)}},
      // At a station this high the shower top lies below the base: the layer keeps no thickness
      // rather than ending under its own base.
      {"SH above a high station", [](MetarRecord& m) {
         m.Elevation = 13325, m.Clouds = {{3, 8000, wxString()}}, m.PresentWeather = wxS("SHRA ");
       }, false, false, {U16(Cloud(0, 2), 6499), U16(Cloud(0, 0), 6499), U16(44, 6499)}},
      {"rain above 10000 ft falls from no layer", [](MetarRecord& m) {
         m.Clouds = {{2, 2000, wxString()}, {3, 12000, wxString()}}, m.PresentWeather = wxS("RA ");
       }, false, false, {U8(Cloud(0, 12), 1), U16(Cloud(0, 0), 4720), U8(Cloud(1, 12), 0), U16(Cloud(1, 0), 4268)}},
      {"cirrus 25000 ft above 4000 ft", [](MetarRecord& m) {
         m.Elevation = 4000, m.Clouds = {{1, 25000, wxString()}}, m.PresentWeather = wxS("SHRA ");
       }, false, true, {U8(Cloud(0, 7), 1), U8(Cloud(0, 8), 0), U8(Cloud(0, 12), 0)}},
      {"first layer at 12000 ft", [](MetarRecord& m) {
         m.Elevation = 1000, m.Clouds = {{2, 12000, wxString()}};
       }, false, false, {U16(44, 1828), I32(636, 1)}},
      {"station code GLOB", [](MetarRecord& m) { m.Icao = wxS("GLOB"); }, false, false,
       {U8(8, 'G'), U8(9, 'L'), U8(10, 'O'), U8(11, 'B')}},
      {"short code padded", [](MetarRecord& m) { m.Icao = wxS("AB"); }, false, false,
       {U8(8, 'A'), U8(9, 'B'), U8(10, 0), U8(11, 0)}},
      // Four bytes would split the last character: it is left out whole.
      {"code cut at a character", [](MetarRecord& m) { m.Icao = wxString(L"ABC\u00C4"); }, false, false,
       {U8(8, 'A'), U8(9, 'B'), U8(10, 'C'), U8(11, 0)}},
      {"two-byte character kept whole", [](MetarRecord& m) { m.Icao = wxString(L"AB\u00C4D"); }, false, false,
       {U8(8, 'A'), U8(9, 'B'), U8(10, 0xC3), U8(11, 0x84)}},
  };
  for (const FieldCase& c : cases) {
    MetarRecord metar = Metar("EDDF", 364);
    c.setup(metar);
    const NewWeatherBytes got = Convert(metar, Options(c.gust, c.turbulence));
    for (const Field& field : c.expected) {
      EXPECT_EQ(Read(got, field), field.value) << c.name << ", " << Where(field.offset);
    }
  }
}

// A shower falls as snow from 0 degrees down: the boundary as reports give it, M00 and 00 alike.
TEST(ConvertMetar, ShowerAtFreezingFallsAsSnow) {
  constexpr std::uint8_t kRainType = 1;
  constexpr std::uint8_t kSnowType = 2;
  const struct {
    const char* report;
    std::uint8_t precipitation;
  } cases[] = {
      {"EDDB 171150Z 12009KT 4000 -SHSN FEW020 00/M02 Q1012", kSnowType},
      {"EDDB 171150Z 12009KT 4000 -SHSN FEW020 M00/M02 Q1012", kSnowType},
      {"EDDB 171150Z 12009KT 4000 -SHRA FEW020 00/M02 Q1012", kSnowType},
      {"EDDB 171150Z 12009KT 4000 -SHSN FEW020 M01/M03 Q1012", kSnowType},
      {"EDDB 171150Z 12009KT 4000 -SHSN FEW020 01/M01 Q1012", kRainType},
      {"EDDB 171150Z 12009KT 4000 -SHRA FEW020 01/M01 Q1012", kRainType},
  };
  for (const auto& c : cases) {
    MetarRecord metar;
    metar.Raw = wxString::FromUTF8(c.report);
    ClMetar decoder;
    ASSERT_TRUE(decoder.DecodeMetar(&metar)) << c.report;
    NewWeather record = PatternRecord();
    ClConvertWeather converter(Options(false, false));
    ASSERT_TRUE(converter.ConvertMetar(&record, &metar));
    ASSERT_EQ(record.CloudCount, 1) << c.report;
    EXPECT_EQ(int{record.Cloud[0].PrecipType}, int{c.precipitation}) << c.report;
    EXPECT_EQ(record.Cloud[0].UpperAlt, 6000) << c.report;
  }
}

TEST(ConvertMetar, KeepsAtMostSixteenCloudLayers) {
  MetarRecord metar = Metar("EDDF", 364);
  for (int k = 0; k < 20; ++k) metar.Clouds.push_back({1, 1000 + 500 * k, wxString()});
  NewWeather record = PatternRecord();
  ClConvertWeather converter(Options(false, false));
  ASSERT_TRUE(converter.ConvertMetar(&record, &metar));
  EXPECT_EQ(record.CloudCount, kMaxCloudLayers);
  EXPECT_EQ(record.Cloud[15].LowerAlt, static_cast<std::uint16_t>((1000 + 500 * 15 + 364) / 3.28084));
  const NewWeatherBytes bytes = ToBytes(record);
  EXPECT_TRUE(std::all_of(bytes.begin() + 896, bytes.begin() + 908, [](std::uint8_t b) { return b == 0; }));
}

// What reaches the range check decides whether the station is sent.
TEST(ConvertMetar, RangeCheckSeesSaturatedValues) {
  struct Case {
    const char* name;
    std::function<void(MetarRecord&)> setup;
    bool passes;
  };
  const Case cases[] = {
      {"ordinary report", [](MetarRecord&) {}, true},
      {"EHAM below sea level", [](MetarRecord& m) { m.Elevation = -11; }, true},
      {"Q0700, the lowest pressure sent", [](MetarRecord& m) { m.Pressure = 700; }, true},
      {"Q0699", [](MetarRecord& m) { m.Pressure = 699; }, false},
      {"Q9012", [](MetarRecord& m) { m.Pressure = 9012; }, false},
      {"Q4097 would wrap to 16", [](MetarRecord& m) { m.Pressure = 4097; }, false},
      {"gust below the mean", [](MetarRecord& m) { m.WindSpeed = 15, m.WindGust = 12; }, false},
      {"speed 190 grows past 200 aloft", [](MetarRecord& m) { m.WindSpeed = 190; }, false},
      {"cover beyond eight octas",
       [](MetarRecord& m) {
         m.Clouds = {{200, 1000, wxString()}};
       },
       false},
  };
  testsupport::ScopedWorkDir dir;  // failing checks append to the dump file here
  for (const Case& c : cases) {
    MetarRecord metar = Metar("EDDF", 364);
    c.setup(metar);
    NewWeather record = PatternRecord();
    ClConvertWeather converter(Options(true, true));
    ASSERT_TRUE(converter.ConvertMetar(&record, &metar));
    EXPECT_EQ(converter.CheckNewWeather(&record), c.passes) << c.name;
  }
}

}  // namespace
