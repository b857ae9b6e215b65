#include "app/core/manual_weather.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "simlink/convert_weather.h"

namespace {

// The record as the simulator's interface module reads its fields, one line per part.
std::vector<std::string> Describe(const NewWeather& r) {
  const NewWeatherTemp& t = r.Temp[0];
  const NewWeatherWind& w = r.Wind[0];
  const NewWeatherCloud& c = r.Cloud[0];
  const std::string station(r.Icao, strnlen(r.Icao, sizeof r.Icao));
  char lines[6][200];
  std::snprintf(lines[0], sizeof lines[0], "command %d, station %s", r.Command, station.c_str());
  std::snprintf(lines[1], sizeof lines[1], "pressure %d, visibility range %d from %d m to %d m", r.Pressure,
                r.VisRange, r.VisLowerAlt, r.VisUpperAlt);
  std::snprintf(lines[2], sizeof lines[2], "temp: %d m, %d C, dew %d C, variation %d", t.Altitude,
                t.Temperature, t.DewPoint, t.Kind);
  std::snprintf(lines[3], sizeof lines[3],
                "wind: %d m, direction %d, %d kt, gust %d, turbulence %d, shear %d, variance %d, flag %d",
                w.Altitude, w.Direction, w.Speed, w.Gust, w.Turbulence, w.Shear, w.Variance, w.SurfaceFlag);
  std::snprintf(
      lines[4], sizeof lines[4],
      "cloud: type %d, cover %d, %d m to %d m, turbulence %d, icing %d, precipitation %d from %d m rate %d, "
      "top shape %d, spare %d",
      c.Type, c.Coverage, c.LowerAlt, c.UpperAlt, c.Turbulence, c.Icing, c.PrecipType, c.PrecipBase,
      c.PrecipRate, c.TopShape, c.Spare);
  std::snprintf(lines[5], sizeof lines[5], "layers: temp %d, wind %d, cloud %d, upper visibility %d",
                r.TempCount, r.WindCount, r.CloudCount, r.UpperVisCount);
  return {lines[0], lines[1], lines[2], lines[3], lines[4], lines[5]};
}

NewWeather Built(const ManualWeatherForm& form, wxString* problem = nullptr) {
  NewWeather record;
  std::memset(&record, 0xAB, sizeof record);  // what a stack record may hold before
  wxString ignored;
  EXPECT_TRUE(BuildManualWeather(form, &record, problem ? problem : &ignored))
      << (problem ? *problem : ignored);
  return record;
}

TEST(ManualWeather, TheDialogAsItOpensGivesItsRecord) {
  const NewWeather record = Built(ManualWeatherForm());
  const std::vector<std::string> expected = {
      "command 1, station GLOB",
      "pressure 16208, visibility range 20000 from 0 m to 3000 m",
      "temp: 3047 m, 12 C, dew 8 C, variation 0",
      "wind: 20000 m, direction 16384, 10 kt, gust 0, turbulence 0, shear 0, variance 1820, flag 65000",
      "cloud: type 1, cover 0, 609 m to 3047 m, turbulence 0, icing 0, precipitation 0 from 0 m rate 2, top "
      "shape 0, "
      "spare 0",
      "layers: temp 1, wind 1, cloud 1, upper visibility 0",
  };
  EXPECT_EQ(Describe(record), expected);
  EXPECT_TRUE(WeatherInRange(record));
}

// The bytes the record's fields do not name are zero, whatever the record held before.
TEST(ManualWeather, EveryOtherByteIsZero) {
  const NewWeather record = Built(ManualWeatherForm());
  const std::pair<std::size_t, std::size_t> named[] = {
      {0, 2}, {8, 12}, {40, 50}, {52, 64}, {248, 266}, {636, 656},
  };
  const NewWeatherBytes bytes = ToBytes(record);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bool isNamed = false;
    for (const auto& [begin, end] : named) isNamed = isNamed || (i >= begin && i < end);
    if (!isNamed) {
      EXPECT_EQ(bytes[i], 0) << "byte " << i;
    }
  }
}

struct EditCase {
  const char* what;
  std::function<void(ManualWeatherForm&)> edit;
  int line;  // of Describe
  const char* expected;
};

TEST(ManualWeather, TypedValuesInTheRecord) {
  const EditCase cases[] = {
      {"lower case is sent in capitals, short codes padded",
       [](ManualWeatherForm& f) { f.Station = wxS("ab"); }, 0, "command 1, station AB"},
      {"a station of digits", [](ManualWeatherForm& f) { f.Station = wxS("k1g4"); }, 0,
       "command 1, station K1G4"},
      {"direction 360 is north, 0; variance 360 too",
       [](ManualWeatherForm& f) {
         f.WindDirection = wxS("360");
         f.WindVariance = 360;
       },
       3, "wind: 20000 m, direction 0, 10 kt, gust 0, turbulence 0, shear 0, variance 0, flag 65000"},
      {"turbulence 4 and shear 3 as they are",
       [](ManualWeatherForm& f) {
         f.WindTurbulence = 4;
         f.WindShear = 3;
         f.WindGust = wxS("15");
         f.WindDirection = wxS("270");
       },
       3, "wind: 20000 m, direction 49152, 10 kt, gust 15, turbulence 4, shear 3, variance 1820, flag 65000"},
      {"blanks around a number are allowed", [](ManualWeatherForm& f) { f.WindSpeed = wxS(" 12 "); }, 3,
       "wind: 20000 m, direction 16384, 12 kt, gust 0, turbulence 0, shear 0, variance 1820, flag 65000"},
      {"the visibility goes to the range field unconverted",
       [](ManualWeatherForm& f) { f.Visibility = wxS("65535"); }, 1,
       "pressure 16208, visibility range 65535 from 0 m to 3000 m"},
      {"a cold row in feet",
       [](ManualWeatherForm& f) {
         f.Temperature = wxS("-40");
         f.DewPoint = wxS("-45");
         f.TemperatureHeight = wxS("0");
       },
       2, "temp: 0 m, -40 C, dew -45 C, variation 0"},
      {"thunderstorm, 8/8, snow at rate 5 from below the station",
       [](ManualWeatherForm& f) {
         f.CloudType = 3;
         f.CloudCover = 8;
         f.PrecipType = 2;
         f.PrecipRate = 5;
         f.PrecipBase = wxS("-6000");
         f.CloudTurbulence = 4;
         f.CloudIcing = 3;
         f.CloudTopShape = wxS("255");
         f.CloudSpare = wxS("7");
       },
       4,
       "cloud: type 10, cover 8, 609 m to 3047 m, turbulence 4, icing 3, precipitation 2 from -1828 m rate "
       "5, top "
       "shape 255, spare 7"},
      {"stratus", [](ManualWeatherForm& f) { f.CloudType = 1; }, 4,
       "cloud: type 8, cover 0, 609 m to 3047 m, turbulence 0, icing 0, precipitation 0 from 0 m rate 2, top "
       "shape 0, "
       "spare 0"},
      {"cumulus of one height",
       [](ManualWeatherForm& f) {
         f.CloudType = 2;
         f.CloudLower = wxS("5000");
         f.CloudUpper = wxS("5000");
       },
       4,
       "cloud: type 9, cover 0, 1523 m to 1523 m, turbulence 0, icing 0, precipitation 0 from 0 m rate 2, "
       "top shape 0, "
       "spare 0"},
  };
  for (const EditCase& c : cases) {
    ManualWeatherForm form;
    c.edit(form);
    EXPECT_EQ(Describe(Built(form))[c.line], c.expected) << c.what;
  }
}

struct RefusedCase {
  std::function<void(ManualWeatherForm&)> edit;
  const char* problem;
};

// What the "Message" box says; no record is written then.
TEST(ManualWeather, FieldsTheRecordCannotCarryAreRefusedByName) {
  const RefusedCase cases[] = {
      {[](ManualWeatherForm& f) { f.Visibility = wxS("99999"); },
       "Visibility in m: \"99999\" is not a whole number from 0 to 65535."},
      {[](ManualWeatherForm& f) { f.CloudSpare = wxS("300"); },
       "Spare: \"300\" is not a whole number from 0 to 255."},
      {[](ManualWeatherForm& f) { f.CloudTopShape = wxS("300"); },
       "Top Shape: \"300\" is not a whole number from 0 to 255."},
      {[](ManualWeatherForm& f) { f.CloudSpare = wxS("99999999999999999999"); },
       "Spare: \"99999999999999999999\" is not a whole number from 0 to 255."},
      {[](ManualWeatherForm& f) { f.WindSpeed = wxS("-5"); },
       "Speed in kt: \"-5\" is not a whole number from 0 to 65535."},
      {[](ManualWeatherForm& f) { f.WindGust = wxS(""); },
       "Gust: \"\" is not a whole number from 0 to 65535."},
      {[](ManualWeatherForm& f) { f.WindSpeed = wxS("12kt"); },
       "Speed in kt: \"12kt\" is not a whole number from 0 to 65535."},
      {[](ManualWeatherForm& f) { f.WindDirection = wxS("361"); },
       "Wind dir: \"361\" is not a whole number from 0 to 360."},
      {[](ManualWeatherForm& f) { f.TemperatureHeight = wxS("-100"); },
       "Height ft: \"-100\" is not a whole number from 0 to 215013."},
      {[](ManualWeatherForm& f) { f.CloudLower = wxS("-1"); },
       "Height from ft: \"-1\" is not a whole number from 0 to 215013."},
      {[](ManualWeatherForm& f) { f.CloudUpper = wxS("215014"); },
       "to: \"215014\" is not a whole number from 0 to 215013."},
      {[](ManualWeatherForm& f) { f.CloudLower = wxS("12000"); },
       "Height from ft: 12000 is above the top of the cloud (to: 10000)."},
      {[](ManualWeatherForm& f) { f.Station = wxS(""); },
       "Station: \"\" is not an ICAO code or GLOB (one to four letters or digits)."},
      {[](ManualWeatherForm& f) { f.Station = wxS("ED-B"); },
       "Station: \"ED-B\" is not an ICAO code or GLOB (one to four letters or digits)."},
      {[](ManualWeatherForm& f) {
         f.Station = wxString::FromUTF8(
             "\xc3\x89"
             "DDB");
       },
       "Station: \"\xc3\x89"
       "DDB\" is not an ICAO code or GLOB (one to four letters or digits)."},
      {[](ManualWeatherForm& f) { f.Station = wxS("EDDBX"); },
       "Station: \"EDDBX\" is not an ICAO code or GLOB (one to four letters or digits)."},
      {[](ManualWeatherForm& f) { f.CloudCover = 9; }, "Cover: 9 is not from 0 to 8."},
      {[](ManualWeatherForm& f) {
         f.WindSpeed = wxS("x");
         f.Visibility = wxS("99999");
       },
       "Speed in kt: \"x\" is not a whole number from 0 to 65535."},
  };
  for (const RefusedCase& c : cases) {
    ManualWeatherForm form;
    c.edit(form);
    NewWeather record;
    std::memset(&record, 0xAB, sizeof record);
    wxString problem;
    EXPECT_FALSE(BuildManualWeather(form, &record, &problem)) << c.problem;
    EXPECT_EQ(problem.utf8_string(), c.problem);
    const NewWeatherBytes bytes = ToBytes(record);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(bytes.size())) << c.problem;
  }
}

// Values the fields carry but the simulator does not take are left to the record's range check.
TEST(ManualWeather, TheRangeCheckStillDecides) {
  const std::pair<std::function<void(ManualWeatherForm&)>, bool> cases[] = {
      {[](ManualWeatherForm& f) { f.WindSpeed = wxS("201"); }, false},
      {[](ManualWeatherForm& f) { f.WindSpeed = wxS("200"); }, true},
      {[](ManualWeatherForm& f) { f.Temperature = wxS("101"); }, false},
      {[](ManualWeatherForm& f) { f.DewPoint = wxS("101"); }, false},
      {[](ManualWeatherForm& f) { f.PrecipBase = wxS("-7000"); }, false},  // -2133 m
      {[](ManualWeatherForm& f) { f.PrecipBase = wxS("-6000"); }, true},   // -1828 m
  };
  for (const auto& [edit, inRange] : cases) {
    ManualWeatherForm form;
    edit(form);
    EXPECT_EQ(WeatherInRange(Built(form)), inRange)
        << Describe(Built(form))[2] << " / " << Describe(Built(form))[3];
  }
}

}  // namespace
