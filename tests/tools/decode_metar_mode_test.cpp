#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "decode_tool_run.h"

namespace {

const std::string kFeed = Quoted(testsupport::FixturePath("metar-cycle-extract-with-date-lines.txt"));
const std::string kAirports = Quoted(testsupport::FixturePath("airport-three-stations.dat"));

const char* const kDateLine =
    R"({"raw":"2007/10/14 15:00","identified":false,"decoded":false,"icao":null,"name":null,"time":null,)"
    R"("latitude":null,"longitude":null,"elevation":null,"wind_dir":0,"wind_speed":0,"wind_gust":0,)"
    R"("var_from":65535,"var_to":65535,"visibility":0,"temperature":15,"dew_point":5,"pressure":1013,)"
    R"("weather":"","intensity":3,"clouds":[]})";

TEST(DecodeToolMetar, IdentifiesAndDecodesEveryReportLine) {
  const ToolRun run = RunDecodeTool("--airports " + kAirports + " " + kFeed);
  ASSERT_EQ(run.status, 0);
  // Blank lines (also one of blanks only) print nothing; date lines print an object.
  ASSERT_EQ(run.lines.size(), 7u);
  EXPECT_EQ(run.lines[0], kDateLine);
  EXPECT_EQ(
      run.lines[1],
      R"({"raw":"EDDF 141450Z 27015G25KT 240V300 4000NE -RA BR FEW020CB BKN040 12/08 Q1013 BECMG CAVOK",)"
      R"("identified":true,"decoded":true,"icao":"EDDF","name":"Frankfurt Main","time":"141450Z",)"
      R"("latitude":50.03329849,"longitude":8.570599556,"elevation":364,"wind_dir":270,"wind_speed":15,)"
      R"("wind_gust":25,"var_from":240,"var_to":300,"visibility":4000,"temperature":12,"dew_point":8,)"
      R"("pressure":1013,"weather":"-RA BR ","intensity":1,)"
      R"("clouds":[{"cover":1,"base":2000,"type":"CB"},{"cover":3,"base":4000,"type":""}]})");
  EXPECT_EQ(
      run.lines[3],
      R"({"raw":"KJFK 141451Z 31008KT 1 1/2SM -SN OVC008 M02/M03 A2992 RMK AO2","identified":true,)"
      R"("decoded":true,"icao":"KJFK","name":"New York Kennedy","time":"141451Z","latitude":40.63980103,)"
      R"("longitude":-73.77890015,"elevation":13,"wind_dir":310,"wind_speed":8,"wind_gust":0,)"
      R"("var_from":65535,"var_to":65535,"visibility":2413,"temperature":-2,"dew_point":-3,)"
      R"("pressure":1013,"weather":"-SN ","intensity":1,"clouds":[{"cover":4,"base":800,"type":""}]})");
  // Not in the catalogue, yet decoded; the ICAO is the one the header gives.
  EXPECT_NE(run.lines[5].find(R"("identified":false,"decoded":true,"icao":"ZZZZ","name":null)"),
            std::string::npos);
  // Identified, but no pressure group (QNIL): the fields read so far are shown.
  EXPECT_NE(run.lines[6].find(R"("identified":true,"decoded":false,"icao":"AYGN")"), std::string::npos);
  EXPECT_NE(run.lines[6].find(R"("temperature":32,"dew_point":22,"pressure":1013)"), std::string::npos);
}

TEST(DecodeToolMetar, WithoutCatalogueIdentificationIsSkipped) {
  const ToolRun run = RunDecodeTool("< " + kFeed);
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 7u);
  for (const std::string& line : run.lines) {
    EXPECT_NE(line.find(R"("identified":false)"), std::string::npos) << line;
    EXPECT_NE(line.find(R"("icao":null,"name":null)"), std::string::npos) << line;
  }
  EXPECT_NE(run.lines[1].find(R"("decoded":true)"), std::string::npos);
  EXPECT_NE(run.lines[1].find(R"("time":"141450Z")"), std::string::npos);
}

TEST(DecodeToolMetar, MissingCatalogueIsAnError) {
  const ToolRun run = RunDecodeTool("--airports /nonexistent/airport.dat " + kFeed + " 2>/dev/null");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.lines.empty());
}

}  // namespace
