#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "decode_tool_run.h"

namespace {

// Output lines of one run of the tool, its error output included.
std::vector<std::string> RunTool(const std::string& arguments) {
  return RunDecodeTool(arguments + " 2>&1").lines;
}

std::string Fixture(const char* name) { return Quoted(testsupport::FixturePath(name)); }

const std::string kStations = "--stations " + Fixture("station_catalogue_small.dat");

TEST(DecodeTool, SynopModeKeys) {
  const auto lines = RunTool("--synop " + kStations + " " + Fixture("synop_multi_station_bulletins.txt"));
  ASSERT_EQ(lines.size(), 16u);  // one object per "=" piece, the trailing line break included
  const std::regex keys(
      R"(^\{"raw":".*","identified":(true|false),"decoded":(true|false),"station":"[0-9]*","time":"[0-9/]*",)"
      R"("visibility":-?[0-9.e+-]+,"low":[0-9]+,"middle":[0-9]+,"high":[0-9]+,"clouds":\[.*\]\}$)");
  for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, keys)) << line;
  EXPECT_NE(lines[1].find(R"("identified":true,"decoded":true,"station":"11010","time":"1900")"),
            std::string::npos);
  EXPECT_NE(
      lines[0].find(R"("clouds":[{"genus":6,"amount":3,"base":2900},{"genus":3,"amount":6,"base":10000}])"),
      std::string::npos);
  EXPECT_NE(lines[6].find(R"("decoded":false,"station":"","time":"","visibility":-1,)"), std::string::npos);
}

TEST(DecodeTool, TtaaModeAndProfile) {
  const auto lines =
      RunTool("--ttaa " + kStations + " " + Fixture("temp_bulletin_german_metres_per_second.txt"));
  ASSERT_EQ(lines.size(), 3u);  // the TTBB piece is not a TTAA piece; the NIL part is identified
  EXPECT_NE(lines[0].find(R"("identified":true,"decoded":true,"station":"10410","levels":[{"pressure":1000,)"
                          R"("height":73,"temperature":7.8,"dew_point":-0.2,"direction":240,"speed":13},)"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[0].find(R"("max_wind":{"pressure":265,"height":99999,"temperature":999,"dew_point":999,)"
                          R"("direction":275,"speed":81}})"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find(R"("max_wind":null)"), std::string::npos);
  EXPECT_NE(
      lines[2].find(R"("identified":true,"decoded":false,"station":"10739","levels":[],"tropopause":null,)"
                    R"("max_wind":null})"),
      std::string::npos)
      << lines[2];

  const auto profile =
      RunTool("--ttaa --profile " + kStations + " " + Fixture("temp_bulletin_german_metres_per_second.txt"));
  ASSERT_EQ(profile.size(), 3u);
  EXPECT_NE(profile[0].find(R"("levels":[{"pressure":1008,"height":0,"temperature":8.4,"dew_point":0.4,)"
                            R"("direction":240,"speed":11,"humidity":)"),
            std::string::npos)
      << profile[0];
}

TEST(DecodeTool, HelpNamesBothModesAndAMissingCatalogueIsAnError) {
  const auto help = RunTool("--help");
  std::string all;
  for (const auto& line : help) all += line + "\n";
  EXPECT_NE(all.find("--synop --stations FILE"), std::string::npos);
  EXPECT_NE(all.find("--ttaa --stations FILE [--profile]"), std::string::npos);
  const auto error =
      RunTool("--synop --stations /nonexistent/station.dat " + Fixture("synop_multi_station_bulletins.txt"));
  ASSERT_FALSE(error.empty());
  EXPECT_NE(error[0].find("needs --stations FILE"), std::string::npos);
}

}  // namespace
