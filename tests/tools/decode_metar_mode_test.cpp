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

// The output of a fixed input, byte for byte as the tool has always written it: escapes, ISO 8859-1
// bytes as UTF-8, NUL and control characters, CR LF line ends, blank lines, numbers.
TEST(DecodeToolMetar, OutputBytesStayTheSame) {
  const ToolRun run =
      RunDecodeTool("--airports " + Quoted(testsupport::FixturePath("airport-names-with-odd-bytes.dat")) +
                    " " + Quoted(testsupport::FixturePath("metar-lines-with-odd-bytes.txt")));
  ASSERT_EQ(run.status, 0);
  const std::string expected =
      testsupport::ReadBytes(testsupport::FixturePath("metar-lines-with-odd-bytes.json"));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(run.output, expected);
}

// A large input is decoded block by block on several threads: every line comes out once, in the
// order of the input, and the same as when it is decoded alone.
TEST(DecodeToolMetar, LargeInputKeepsItsLineOrder) {
  const std::string sample = testsupport::SharedDataPath("metar-cycle-sample.txt");
  const std::string airports = Quoted(testsupport::CataloguePath("airport.dat"));
  const ToolRun whole = RunDecodeTool("--airports " + airports + " " + Quoted(sample));
  ASSERT_EQ(whole.status, 0);
  std::vector<std::string> filled;  // the input lines that are not blank
  {
    const std::string bytes = testsupport::ReadBytes(sample);
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::string line = bytes.substr(start, end - start);
      if (line.find_first_not_of(" \t\r") != std::string::npos) filled.push_back(line);
    }
  }
  ASSERT_GT(filled.size(), 20000u);
  ASSERT_EQ(whole.lines.size(), filled.size());
  for (std::size_t i = 0; i < filled.size(); ++i) {
    // The sample's few quotes and backslashes aside, the raw field is the line itself.
    if (filled[i].find_first_of("\"\\") != std::string::npos) continue;
    ASSERT_EQ(whole.lines[i].rfind("{\"raw\":\"" + filled[i] + "\",", 0), 0u) << "line " << i;
  }
  testsupport::ScopedWorkDir dir;
  for (const std::size_t i : {std::size_t{0}, std::size_t{4100}, std::size_t{13001}, filled.size() - 1}) {
    testsupport::WriteBytes("one.txt", filled[i] + "\n");
    const ToolRun alone = RunDecodeTool("--airports " + airports + " one.txt");
    ASSERT_EQ(alone.lines.size(), 1u);
    EXPECT_EQ(alone.lines[0], whole.lines[i]) << "line " << i;
  }
}

TEST(DecodeToolMetar, MissingCatalogueIsAnError) {
  const ToolRun run = RunDecodeTool("--airports /nonexistent/airport.dat " + kFeed + " " + kDiscardErrors);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.lines.empty());
}

}  // namespace
