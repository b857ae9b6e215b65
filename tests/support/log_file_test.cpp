#include "support/log_file.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>

#include "common/test_paths.h"
#include "recorders.h"

namespace {

using supporttest::RecordingLog;
using supporttest::RecordingUi;
using testsupport::ReadBytes;
using testsupport::ScopedWorkDir;
using testsupport::WriteBytes;

constexpr char kLogName[] = "nubivane.log";

TEST(LogFile, FirstRunShowsNothingAndCreatesAnEmptyFile) {
  ScopedWorkDir dir;
  RecordingUi ui;
  RecordingLog logged;
  {
    ClLog log(kLogName);
    EXPECT_TRUE(log.GetLastLog().empty());
    EXPECT_TRUE(wxFileExists(kLogName));
  }
  EXPECT_EQ(ReadBytes(kLogName), "");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(logged.entries.empty()) << logged.entries.front().text;
}

// 600 bytes of every value: each must come back as its own
// ISO 8859-1 character, and the file must be empty afterwards.
TEST(LogFile, PreviousContentIsKeptByteForByteAndTheFileEmptied) {
  ScopedWorkDir dir;
  std::string previous;
  for (int i = 0; i < 600; ++i) {
    previous += static_cast<char>((i * 7 + 3) % 256);
  }
  WriteBytes(kLogName, previous);
  ClLog log(kLogName);
  const wxString last = log.GetLastLog();
  ASSERT_EQ(last.length(), previous.size());
  for (std::size_t i = 0; i < previous.size(); ++i) {
    ASSERT_EQ(last[i].GetValue(), static_cast<unsigned char>(previous[i])) << "at " << i;
  }
  EXPECT_EQ(ReadBytes(kLogName), "");
  log.WriteToFile("Nubivane Start");
  EXPECT_EQ(log.GetLastLog(), last);
}

// The start-up asks before every piece of a large previous log: a stop ends the reading there, and
// the file is emptied all the same.
TEST(LogFile, AStopEndsTheReadingOfThePreviousContent) {
  ScopedWorkDir dir;
  RecordingUi ui;
  const std::string previous(8 * 1024 * 1024, 'x');
  WriteBytes(kLogName, previous);
  int asked = 0;
  {
    ClLog log(kLogName, [&asked] { return ++asked <= 2; });
    EXPECT_EQ(asked, 3);
    EXPECT_GT(log.GetLastRun().LogBytes(), 0u);
    EXPECT_LT(log.GetLastRun().LogBytes(), previous.size());
  }
  EXPECT_EQ(ReadBytes(kLogName), "");
  WriteBytes(kLogName, previous);
  ClLog whole(kLogName, [] { return true; });
  EXPECT_EQ(whole.GetLastRun().LogBytes(), previous.size());
}

TEST(LogFile, LinesAreTimeDashMessageCrLfInUtf8) {
  struct Case {
    wxString message;
    std::string bytes;  // the message as it must stand in the file
  };
  const Case cases[] = {
      {"Nubivane Start", "Nubivane Start"},
      {"", ""},
      {wxString::FromUTF8("Temp 5\xC2\xB0"
                          "C"),
       "Temp 5\xC2\xB0"
       "C"},
      {"two\nlines\tand a tab", "two\nlines\tand a tab"},
      {"100% sure %s %d", "100% sure %s %d"},
      // a NUL byte of a downloaded report stays with what follows it
      {wxString(L"METAR EDDF\0 tail", 16), std::string("METAR EDDF\0 tail", 16)},
  };
  for (const auto& c : cases) {
    ScopedWorkDir dir;
    RecordingUi ui;
    const std::time_t before = std::time(nullptr);
    {
      ClLog log(kLogName);
      log.WriteToFile(c.message);
    }
    const std::time_t after = std::time(nullptr);
    const std::string file = ReadBytes(kLogName);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(file, match, std::regex("(-?[0-9]+) - ([^]*)\r\n"))) << file;
    const long long stamp = std::stoll(match[1]);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(match[2].str(), c.bytes);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(LogFile, FormatKeepsTheLow32BitsOfTheTimeAsSignedNumber) {
  const struct {
    std::int64_t seconds;
    const char* line;
  } cases[] = {
      {0, "0 - m\r\n"},
      {1700000000, "1700000000 - m\r\n"},
      {2147483647, "2147483647 - m\r\n"},
      {2147483648, "-2147483648 - m\r\n"},  // 2038-01-19 03:14:08 UTC
      {4294967295, "-1 - m\r\n"},
      {4294967296, "0 - m\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatLogLine(c.seconds, "m"), c.line) << c.seconds;
  }
}

// The next start reads back what this run wrote; a degree sign written as C2 B0 comes back as
// the two characters of those bytes.
TEST(LogFile, NextRunReadsThisRunsLines) {
  ScopedWorkDir dir;
  RecordingUi ui;
  {
    ClLog log(kLogName);
    log.WriteToFile("Nubivane Start");
    log.WriteToFile(wxString::FromUTF8("Main: 5\xC2\xB0"));
    log.Write("not in the file", false, false, false);
    log.WriteToFile("Main: Nubivane Close");
  }
  const std::string written = ReadBytes(kLogName);
  ClLog next(kLogName);
  const wxString last = next.GetLastLog();
  EXPECT_EQ(last, wxString(written.data(), wxConvISO8859_1, written.size()));
  EXPECT_NE(last.Find(wxString(L"Main: 5\u00C2\u00B0\r\n")), wxNOT_FOUND);
  EXPECT_EQ(last.Find("not in the file"), wxNOT_FOUND);
  EXPECT_NE(last.Find("Close"), wxNOT_FOUND);
}

TEST(LogFile, MessageAndErrorLogsGetTheLineAsTextNotAsFormat) {
  ScopedWorkDir dir;
  RecordingUi ui;
  ClLog log(kLogName);
  RecordingLog logged;
  log.Write("Error: 100% of %s and %d failed", false, true, true);
  ASSERT_EQ(logged.entries.size(), 2u);
  EXPECT_EQ(logged.entries[0].level, wxLOG_Message);
  EXPECT_EQ(logged.entries[1].level, wxLOG_Error);
  for (const auto& entry : logged.entries) {
    EXPECT_TRUE(std::regex_match(entry.text.ToStdString(),
                                 std::regex("-?[0-9]+ - Error: 100% of %s and %d failed\r\n")))
        << entry.text;
  }
  EXPECT_EQ(ReadBytes(kLogName), "");  // toFile was not set
}

// A directory in the log's place cannot be opened for writing (even by root); its read fails too.
TEST(LogFile, UnwritableFileShowsOneBoxAndTheRunGoesOn) {
  ScopedWorkDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(kLogName));
  RecordingUi ui;
  RecordingLog logged;
  ClLog log(kLogName);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Cloud't open file nubivane.log");
  EXPECT_EQ(ui.messages[0].caption, "Log Error");
  EXPECT_EQ(ui.messages[0].style, wxOK | wxCENTRE);
  EXPECT_EQ(ui.messages[0].parent, nullptr);
  EXPECT_TRUE(logged.entries.empty()) << logged.entries.front().text;
  EXPECT_TRUE(log.GetLastLog().empty());

  log.WriteToFile("Nubivane Start");
  log.WriteToFileAndErrorBox("Error: shown anyway");
  ASSERT_EQ(logged.entries.size(), 1u);
  EXPECT_NE(logged.entries[0].text.Find("Error: shown anyway"), wxNOT_FOUND);
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
