#include "support/last_run.h"

#include <gtest/gtest.h>

namespace {

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
  };
  for (const Case& c : cases) EXPECT_EQ(PreviousRunFailed(wxString::FromAscii(c.log)), c.failed) << c.why;
}

TEST(ErrorReportBody, ColonsBecomeDashesAndTheBytesStayTheirOwn) {
  // The previous log was read as ISO 8859-1: "\xFC" is the byte the file held.
  const wxString log = wxString("1700000000 - Main: Fehler in M\xFCnchen\r\n", wxConvISO8859_1);
  EXPECT_EQ(ErrorReportBody(log), std::string("1700000000 - Main- Fehler in M\xFCnchen\r\n"));
  EXPECT_EQ(ErrorReportBody(wxString()), std::string());
}

}  // namespace
