#include "support/last_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The check reads the log in pieces of whatever size the file gives: the verdict must not depend
// on where they end.
bool FailedInPiecesOf(const std::string& log, std::size_t pieceBytes) {
  LastRunCheck check;
  for (std::size_t at = 0; at < log.size(); at += pieceBytes) {
    check.Take(log.data() + at, std::min(pieceBytes, log.size() - at));
  }
  return check.Failed();
}

TEST(PreviousRunFailed, OnlyARunThatDidNotEndOrAnErrorOfTheProgram) {
  struct Case {
    const char* log;
    bool failed;
    const char* why;
  };
  const Case cases[] = {
      {"", false, "a first start has no previous log: nothing to report"},
      {"1700000000 - Nubivane Start\r\n1700000100 - Main: Nubivane Close\r\n", false, "a clean run"},
      {"1700000000 - Nubivane Start\r\n1700000001 - Program Version: v0.9.0 BETA\r\n", true, "no Close"},
      {"1700000000 - Nubivane Start\r\n1700000001 - Error: Can't open airport.dat!\r\n"
       "1700000002 - Main: Nubivane Close\r\n",
       true, "an error of the program, closed or not"},
      {"1700000000 - Nubivane Start\r\n"
       "1700000050 - Main: Error: Decode Metar -> EDDF 121150Z 27010KT XXXX\r\n"
       "1700000051 - Main: Error: Check NewWeather -> KJFK\r\n"
       "1700000052 - Main: Error: No founded Upperair from -> LOWW\r\n"
       "1700000053 - Main: Error: Decode Upperair -> \r\n"
       "1700000054 - Main: Error: No founded Synop from -> EGLL\r\n"
       "1700000100 - Main: Nubivane Close\r\n",
       false, "the per-station lines of a normal conversion run"},
      {"1700000000 - Nubivane Start\r\n"
       "1700000050 - Main: Error: Decode Synop from -> \n11010 35561 /2504 11031 21043 Error\n"
       "85526 17256=\r\n"
       "1700000100 - Main: Nubivane Close\r\n",
       false, "a bulletin's lines inside a per-station message are part of it"},
      {"1700000000 - Nubivane Start\r\n1700000050 - Main: Error: Decode Metar -> EDDF 121150Z\r\n", true,
       "per-station lines, but the run never ended"},
      {"1700000000 - Nubivane Start\r\n1700000010 - Error: FSUIPC - Can't start the thread!\r\n"
       "1700000050 - Main: Error: Decode Metar -> EDDF\r\n1700000100 - Main: Nubivane Close\r\n",
       true, "a thread that did not start is the program's error"},
      {"-5 - Nubivane Start\r\n-4 - Main: Nubivane Close\r\n", false, "the 32-bit time wrapped"},
      {"garbage without any line\r\n", true, "no Close"},
      {"1 - Main: Nubivane Start\r\nan Error inside the message\r\n2 - Main: Nubivane Close\r\n", true,
       "a later line of a message of the program's own"},
      {"Main: Error: Decode Metar -> EDDF\r\n2 - Main: Nubivane Close\r\n", false,
       "a first line without a time is a message of its own, here a per-station one"},
      {"12 -Error\r\n2 - Main: Nubivane Close\r\n", true, "a line that only begins like a log line"},
      {"1 - Main: Error: Decode\r\n2 - Main: Nubivane Close\r\n", true,
       "shorter than every per-station prefix: the program's error"},
      {"1 - Main: Error: Decode metar -> EDDF\r\n2 - Main: Nubivane Close\r\n", true,
       "the prefixes are matched as they are written"},
      {"1 - Main: Nubivane Clo\r\nse\r\n", true, "a word broken over two lines is none"},
      {"1 - Main: Nubivane Close\r\n2 - Err\nor\r\n", false, "nor is an error"},
      {"1 - Close", false, "the last line has no line end"},
      {"1 - Main: Nubivane Close\r\n2 - Main: Error: Decode Metar -", true,
       "the log ends inside a per-station prefix"},
      {"1 - Main: Nubivane Close\r\n\r\n\r\n", false, "empty lines are no lines"},
      {"\r\n\n", true, "a log of line ends alone has no Close"},
      {"1 - CClose", false, "a word right after its own first letter"},
      {"1 - Main: Nubivane Close\r\n2 - ErrError", true, "the same for the other word"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PreviousRunFailed(wxString::FromAscii(c.log)), c.failed) << c.why;
    for (std::size_t piece : {1, 2, 3, 7, 64}) EXPECT_EQ(FailedInPiecesOf(c.log, piece), c.failed) << c.why;
  }
}

std::string LogOfLines(std::size_t bytes, const std::string& first) {
  std::string log = first;
  for (int i = 0; log.size() < bytes; ++i) {
    log += "1700000000 - Main: Error: Decode Metar -> EDDF " + std::to_string(i) + "\r\n";
  }
  return log;
}

// However large the log, the check keeps its last megabyte and nothing more.
TEST(LastRunCheck, KeepsOnlyTheLastMegabyte) {
  const std::string log = LogOfLines(5 * kReportTailBytes + 123, "1700000000 - Nubivane Start\r\n");
  for (std::size_t piece : {std::size_t{4096}, std::size_t{65536}, 3 * kReportTailBytes}) {
    LastRunCheck check;
    for (std::size_t at = 0; at < log.size(); at += piece) {
      check.Take(log.data() + at, std::min(piece, log.size() - at));
    }
    EXPECT_EQ(check.LogBytes(), log.size());
    EXPECT_TRUE(check.Tail() == log.substr(log.size() - kReportTailBytes)) << piece;
    EXPECT_TRUE(check.Failed()) << "no Close";
  }
}

TEST(ErrorReportBody, ColonsBecomeDashesAndTheBytesStayTheirOwn) {
  // The previous log is read as bytes: "\xFC" is the byte the file held.
  const std::string log = "1700000000 - Main: Fehler in M\xFCnchen\r\n";
  LastRunCheck check;
  check.Take(log.data(), log.size());
  EXPECT_EQ(ErrorReportBody(check), std::string("1700000000 - Main- Fehler in M\xFCnchen\r\n"));
  EXPECT_EQ(ErrorReportBody(LastRunCheck()), std::string());
}

TEST(ErrorReportBody, ALogOverAMegabyteIsCutToItsEndWithANote) {
  const struct {
    std::size_t bytes;
    bool cut;
  } cases[] = {{kReportTailBytes, false}, {kReportTailBytes + 100, true}, {4 * kReportTailBytes, true}};
  for (const auto& c : cases) {
    std::string log = LogOfLines(c.bytes, "1700000000 - Error: the start\r\n");
    log.resize(c.bytes);
    LastRunCheck check;
    check.Take(log.data(), log.size());
    std::string expected = log.substr(log.size() - std::min(log.size(), kReportTailBytes));
    std::replace(expected.begin(), expected.end(), ':', '-');
    if (c.cut) expected = "(the log was cut, only its last 1048576 bytes follow)\r\n" + expected;
    const std::string body = ErrorReportBody(check);
    EXPECT_TRUE(body == expected) << c.bytes << ": " << body.substr(0, 120);
    EXPECT_EQ(body.find("the start") != std::string::npos, !c.cut) << c.bytes;
  }
}

}  // namespace
