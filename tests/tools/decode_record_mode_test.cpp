#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "decode_tool_run.h"
#include "reports/metar.h"
#include "simlink/convert_weather.h"

namespace {

ToolRun RunRecordMode(const std::string& arguments) { return RunDecodeTool("--record " + arguments); }

const std::string kFeed = Quoted(testsupport::FixturePath("metar-cycle-extract-with-date-lines.txt"));
const std::string kAirports = Quoted(testsupport::FixturePath("airport-three-stations.dat"));

// The record the library makes of a report, as the tool should print it.
std::string ExpectedHex(const char* report, const OptionData& options) {
  ClMetar catalogue;
  EXPECT_TRUE(
      catalogue.LoadAirports(wxString::FromUTF8(testsupport::FixturePath("airport-three-stations.dat"))));
  MetarRecord metar;
  metar.Raw = wxString::FromUTF8(report);
  catalogue.FindMetarStation(&metar);
  EXPECT_TRUE(catalogue.DecodeMetar(&metar));
  NewWeather record;
  ClConvertWeather(options).ConvertMetar(&record, &metar);
  std::string hex;
  char pair[3];
  for (const std::uint8_t b : ToBytes(record)) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    hex += pair;
  }
  return hex;
}

std::string RecordOf(const std::string& line) {
  const std::string key = R"("record":")";
  const std::size_t at = line.find(key);
  if (at == std::string::npos) return std::string();
  return line.substr(at + key.size(), line.find('"', at + key.size()) - at - key.size());
}

const char kEddf[] = "EDDF 141450Z 27015G25KT 240V300 4000NE -RA BR FEW020CB BKN040 12/08 Q1013 BECMG CAVOK";

TEST(DecodeToolRecord, PrintsTheConvertedRecordOfEveryLine) {
  const ToolRun run = RunRecordMode("--airports " + kAirports + " " + kFeed);
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 7u);
  EXPECT_EQ(run.lines[0],
            R"({"raw":"2007/10/14 15:00","identified":false,"decoded":false,"check":false,"record":null})");
  EXPECT_EQ(run.lines[1].rfind(std::string(R"({"raw":")") + kEddf +
                                   R"(","identified":true,"decoded":true,"check":true,"record":")",
                               0),
            0u)
      << run.lines[1];
  const std::string hex = RecordOf(run.lines[1]);
  ASSERT_EQ(hex.size(), 2048u);
  EXPECT_EQ(hex, ExpectedHex(kEddf, OptionData{}));
  EXPECT_EQ(hex.substr(0, 4), "0101");       // command word
  EXPECT_EQ(hex.substr(16, 8), "45444446");  // "EDDF"
  EXPECT_EQ(hex.substr(80, 4), "503f");      // 1013 hPa * 16, little-endian
  EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
  // Not in the catalogue, yet decoded: converted at sea level.
  EXPECT_NE(run.lines[5].find(R"("identified":false,"decoded":true,"check":true,"record":")"),
            std::string::npos);
  // No pressure group: not decoded, so no record.
  EXPECT_NE(run.lines[6].find(R"("decoded":false,"check":false,"record":null})"), std::string::npos);
}

TEST(DecodeToolRecord, OptionsComeFromTheIni) {
  testsupport::ScopedWorkDir dir;
  testsupport::WriteBytes("gusty.ini", "[Wind]\nSurfaceWindGust=1\n");
  const ToolRun run = RunRecordMode("--options gusty.ini --airports " + kAirports + " " + kFeed);
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 7u);
  OptionData gusty;
  gusty.SurfaceWindGust = true;
  const std::string hex = RecordOf(run.lines[1]);
  EXPECT_EQ(hex, ExpectedHex(kEddf, gusty));
  EXPECT_EQ(hex.substr(2 * 256, 4), "0a00");  // surface gust 25 - 15 kt
  EXPECT_FALSE(testsupport::ReadBytes("FSUIPC.err").size() > 0);
}

TEST(DecodeToolRecord, MissingOptionsFileIsAnError) {
  const ToolRun run = RunRecordMode("--options /nonexistent/Nubivane.ini " + kFeed + " 2>/dev/null");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.lines.empty());
}

}  // namespace
