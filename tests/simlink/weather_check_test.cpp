#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "common/test_paths.h"
#include "simlink/convert_weather.h"

namespace {

using testsupport::ReadBytes;
using testsupport::ScopedWorkDir;
using testsupport::WriteBytes;

// Layers in use in the bounds table; each case changes the last layer inside its count.
constexpr int kWinds = 3;
constexpr int kTemps = 3;
constexpr int kClouds = 2;
constexpr int kLastWind = kWinds - 1;
constexpr int kLastTemp = kTemps - 1;
constexpr int kLastCloud = kClouds - 1;

NewWeather ValidRecord() {
  NewWeather record;
  ClearNewWeather(&record);
  std::memcpy(record.Icao, "EDDF", 4);
  record.Pressure = 16208;
  record.WindCount = kWinds;
  record.TempCount = kTemps;
  record.CloudCount = kClouds;
  return record;
}

struct BoundCase {
  const char* name;
  std::function<void(NewWeather&)> change;
  bool passes;
};

TEST(CheckNewWeather, BoundsOnBothSides) {
  const BoundCase cases[] = {
      {"valid record", [](NewWeather&) {}, true},
      {"pressure 11200", [](NewWeather& r) { r.Pressure = 11200; }, true},
      {"pressure 20800", [](NewWeather& r) { r.Pressure = 20800; }, true},
      {"pressure 11199", [](NewWeather& r) { r.Pressure = 11199; }, false},
      {"pressure 20801", [](NewWeather& r) { r.Pressure = 20801; }, false},
      {"vis upper 50000", [](NewWeather& r) { r.VisUpperAlt = 50000; }, true},
      {"vis upper 50001", [](NewWeather& r) { r.VisUpperAlt = 50001; }, false},
      {"vis lower -2000", [](NewWeather& r) { r.VisLowerAlt = -2000; }, true},
      {"vis lower -2001", [](NewWeather& r) { r.VisLowerAlt = -2001; }, false},
      {"vis range 65535", [](NewWeather& r) { r.VisRange = 65535; }, true},
      {"temperature -150", [](NewWeather& r) { r.Temp[kLastTemp].Temperature = -150; }, true},
      {"temperature 100", [](NewWeather& r) { r.Temp[kLastTemp].Temperature = 100; }, true},
      {"temperature -151", [](NewWeather& r) { r.Temp[kLastTemp].Temperature = -151; }, false},
      {"temperature 101", [](NewWeather& r) { r.Temp[kLastTemp].Temperature = 101; }, false},
      {"dew point -150", [](NewWeather& r) { r.Temp[kLastTemp].DewPoint = -150; }, true},
      {"dew point 100", [](NewWeather& r) { r.Temp[kLastTemp].DewPoint = 100; }, true},
      {"dew point -151", [](NewWeather& r) { r.Temp[kLastTemp].DewPoint = -151; }, false},
      {"dew point 101", [](NewWeather& r) { r.Temp[kLastTemp].DewPoint = 101; }, false},
      {"wind speed 200", [](NewWeather& r) { r.Wind[kLastWind].Speed = 200; }, true},
      {"wind speed 201", [](NewWeather& r) { r.Wind[kLastWind].Speed = 201; }, false},
      {"wind gust 200", [](NewWeather& r) { r.Wind[kLastWind].Gust = 200; }, true},
      {"wind gust 201", [](NewWeather& r) { r.Wind[kLastWind].Gust = 201; }, false},
      {"wind turbulence 4", [](NewWeather& r) { r.Wind[kLastWind].Turbulence = 4; }, true},
      {"wind turbulence 5", [](NewWeather& r) { r.Wind[kLastWind].Turbulence = 5; }, false},
      {"wind shear 3", [](NewWeather& r) { r.Wind[kLastWind].Shear = 3; }, true},
      {"wind shear 4", [](NewWeather& r) { r.Wind[kLastWind].Shear = 4; }, false},
      {"cloud cover 8", [](NewWeather& r) { r.Cloud[kLastCloud].Coverage = 8; }, true},
      {"cloud cover 9", [](NewWeather& r) { r.Cloud[kLastCloud].Coverage = 9; }, false},
      {"cloud type 10", [](NewWeather& r) { r.Cloud[kLastCloud].Type = 10; }, true},
      {"cloud type 11", [](NewWeather& r) { r.Cloud[kLastCloud].Type = 11; }, false},
      {"cloud deviation 50000", [](NewWeather& r) { r.Cloud[kLastCloud].Deviation = 50000; }, true},
      {"cloud deviation 50001", [](NewWeather& r) { r.Cloud[kLastCloud].Deviation = 50001; }, false},
      {"cloud turbulence 4", [](NewWeather& r) { r.Cloud[kLastCloud].Turbulence = 4; }, true},
      {"cloud turbulence 5", [](NewWeather& r) { r.Cloud[kLastCloud].Turbulence = 5; }, false},
      {"cloud icing 4", [](NewWeather& r) { r.Cloud[kLastCloud].Icing = 4; }, true},
      {"cloud icing 5", [](NewWeather& r) { r.Cloud[kLastCloud].Icing = 5; }, false},
      {"precipitation base -2000", [](NewWeather& r) { r.Cloud[kLastCloud].PrecipBase = -2000; }, true},
      {"precipitation base -2001", [](NewWeather& r) { r.Cloud[kLastCloud].PrecipBase = -2001; }, false},
      {"precipitation type 2", [](NewWeather& r) { r.Cloud[kLastCloud].PrecipType = 2; }, true},
      {"precipitation type 3", [](NewWeather& r) { r.Cloud[kLastCloud].PrecipType = 3; }, false},
      {"precipitation rate 5", [](NewWeather& r) { r.Cloud[kLastCloud].PrecipRate = 5; }, true},
      {"precipitation rate 6", [](NewWeather& r) { r.Cloud[kLastCloud].PrecipRate = 6; }, false},
      // Untested fields take any value.
      {"untested fields at their maximum",
       [](NewWeather& r) {
         r.Command = 0xFFFF, r.Reserved4 = 0xFFFFFFFF, r.UpperVisCount = 99;
         r.Wind[kLastWind].Direction = 65535, r.Wind[kLastWind].Variance = 65535;
         r.Wind[kLastWind].Altitude = 65535, r.Temp[kLastTemp].Altitude = 65535, r.Temp[kLastTemp].Kind = -1;
         r.Cloud[kLastCloud].UpperAlt = 65535, r.Cloud[kLastCloud].LowerAlt = 65535;
         r.Cloud[kLastCloud].TopShape = 255, r.Cloud[kLastCloud].Spare = 255;
         r.UpperVis[0].Range = 65535, r.UpperVis[0].LowerAlt = -30000;
       },
       true},
      // Only the layers inside the counts are tested.
      {"bad layers beyond the counts",
       [](NewWeather& r) {
         r.Wind[kWinds].Speed = 999, r.Temp[kTemps].Temperature = 999, r.Cloud[kClouds].Coverage = 99;
       },
       true},
      {"count -1 tests no layer",
       [](NewWeather& r) {
         r.WindCount = -1, r.TempCount = -1, r.CloudCount = -1;
         r.Wind[0].Speed = 999, r.Temp[0].Temperature = 999, r.Cloud[0].Coverage = 99;
       },
       true},
      {"counts at their arrays' sizes",
       [](NewWeather& r) { r.WindCount = 24, r.TempCount = 24, r.CloudCount = 16; }, true},
      {"bad last layer of full arrays", [](NewWeather& r) { r.WindCount = 24, r.Wind[23].Shear = 4; }, false},
      {"wind count 25", [](NewWeather& r) { r.WindCount = 25; }, false},
      {"temperature count 25", [](NewWeather& r) { r.TempCount = 25; }, false},
      {"cloud count 17", [](NewWeather& r) { r.CloudCount = 17; }, false},
  };
  ScopedWorkDir dir;
  for (const BoundCase& c : cases) {
    NewWeather record = ValidRecord();
    c.change(record);
    const NewWeather before = record;
    ClConvertWeather converter;
    EXPECT_EQ(converter.CheckNewWeather(&record), c.passes) << c.name;
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0) << c.name << ": the check changed the record";
    EXPECT_EQ(converter.GetErrorText().empty(), c.passes) << c.name;
  }
}

// A record with one bad cloud layer, as the dump lists it.
NewWeather RecordWithBadCloud() {
  NewWeather record;
  ClearNewWeather(&record);
  std::memcpy(record.Icao, "GLOB", 4);
  record.Pressure = 16208;
  record.VisLowerAlt = -30;
  record.VisUpperAlt = 1523;
  record.VisRange = 1884;
  record.WindCount = 2;
  record.Wind[0] = {0, 10, 5, 49152, 1, 0, 3640, 65000, 0};
  record.Wind[1] = {91, 10, 5, 49152, 1, 0, 0, 65000, 0};
  record.Wind[2] = {2000, 14, 0, 49880, 0, 0, 0, 0, 0};  // beyond the count: never listed
  record.TempCount = 2;
  record.Temp[0] = {0, -5, 3, -7};
  record.Temp[1] = {304, -5, 3, -7};
  record.CloudCount = 1;
  record.Cloud[0] = {4365, 365, 100, 9, 9, 1, 0, -5, 1, 1, 0, 0};
  return record;
}

const char kBadCloudDump[] =
    "\r\n"
    "Write: Station GLOB\r\n"
    "Vis: Lower=-30 m, Upper=1523 m, Range=1884\r\n"
    "Wind[0]: Alt=0 m Winddir=49152 , Speed=10,Gust=5,Shear=0, Turbul=1, Var=3640\r\n"
    "Wind[1]: Alt=91 m Winddir=49152 , Speed=10,Gust=5,Shear=0, Turbul=1, Var=0\r\n"
    "Temp[0]: Alt 0 m, Temp -5\xC2\xB0"
    "C, Dew -7\xC2\xB0"
    "C\r\n"
    "Temp[1]: Alt 304 m, Temp -5\xC2\xB0"
    "C, Dew -7\xC2\xB0"
    "C\r\n"
    "Cloud[0]: Lower=365 m,Upper=4365 m,Dev= 100 m, Cover= 9, Type=9,Turb=1,Ice=0,PreBase=-5 m,PreTyp=1,"
    "PreRate=1\r\n";

TEST(CheckNewWeather, AppendsTheWholeDumpAsUtf8) {
  ScopedWorkDir dir;
  WriteBytes("FSUIPC.err", "earlier\r\n");
  const NewWeather record = RecordWithBadCloud();
  ClConvertWeather converter;
  EXPECT_FALSE(converter.CheckNewWeather(&record));
  EXPECT_EQ(ReadBytes("FSUIPC.err"), std::string("earlier\r\n") + kBadCloudDump);
  EXPECT_EQ(converter.GetErrorText(), wxString::FromUTF8(kBadCloudDump));

  // A passing check keeps the last error; another failure adds one more dump.
  const NewWeather good = ValidRecord();
  EXPECT_TRUE(converter.CheckNewWeather(&good));
  EXPECT_EQ(converter.GetErrorText(), wxString::FromUTF8(kBadCloudDump));
  EXPECT_FALSE(converter.CheckNewWeather(&record));
  EXPECT_EQ(ReadBytes("FSUIPC.err"), std::string("earlier\r\n") + kBadCloudDump + kBadCloudDump);
}

TEST(CheckNewWeather, CreatesTheDumpFileReadableAndWritableByAll) {
  ScopedWorkDir dir;
  const mode_t previous = umask(0);
  const NewWeather record = RecordWithBadCloud();
  ClConvertWeather converter;
  EXPECT_FALSE(converter.CheckNewWeather(&record));
  umask(previous);
  struct stat info {};
  ASSERT_EQ(stat("FSUIPC.err", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666u);
  EXPECT_EQ(ReadBytes("FSUIPC.err"), kBadCloudDump);
}

TEST(CheckNewWeather, DumpFileThatCannotBeOpenedStillFails) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("FSUIPC.err");
  const NewWeather record = RecordWithBadCloud();
  ClConvertWeather converter;
  EXPECT_FALSE(converter.CheckNewWeather(&record));
  EXPECT_EQ(converter.GetErrorText(), wxString::FromUTF8(kBadCloudDump));
}

TEST(CheckNewWeather, OversizedCountsNeverReadPastTheRecord) {
  ScopedWorkDir dir;
  NewWeather record = ValidRecord();
  record.WindCount = 1000;
  record.TempCount = 0x7FFFFFFF;
  record.CloudCount = 17;
  ClConvertWeather converter;
  EXPECT_FALSE(converter.CheckNewWeather(&record));
  const wxString dump = converter.GetErrorText();
  EXPECT_NE(dump.find(wxS("Wind[23]")), wxString::npos);
  EXPECT_EQ(dump.find(wxS("Wind[24]")), wxString::npos);
  EXPECT_NE(dump.find(wxS("Temp[23]")), wxString::npos);
  EXPECT_EQ(dump.find(wxS("Temp[24]")), wxString::npos);
  EXPECT_NE(dump.find(wxS("Cloud[15]")), wxString::npos);
  EXPECT_EQ(dump.find(wxS("Cloud[16]")), wxString::npos);
}

TEST(CheckNewWeather, ShortStationCodeEndsAtItsFirstZero) {
  NewWeather record = RecordWithBadCloud();
  std::memcpy(record.Icao, "AB\0Z", 4);
  EXPECT_EQ(DumpNewWeather(record).BeforeFirst('\n', nullptr), wxS("\r"));
  EXPECT_TRUE(DumpNewWeather(record).StartsWith(wxS("\r\nWrite: Station AB\r\nVis:")));
}

TEST(CheckNewWeather, FreshConverterHasNoErrorText) {
  EXPECT_TRUE(ClConvertWeather().GetErrorText().empty());
  EXPECT_TRUE(ClConvertWeather(OptionData{}).GetErrorText().empty());
}

}  // namespace
