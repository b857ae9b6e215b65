#include "app/core/version_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* Name(VersionVerdict verdict) {
  switch (verdict) {
    case VersionVerdict::kNewer:
      return "offered";
    case VersionVerdict::kUpToDate:
      return "up to date";
    case VersionVerdict::kNotVersion:
      return "check failed";
  }
  return "?";
}

struct VersionCase {
  const char* local;
  const char* host;
  const char* verdict;
  const char* why;
};

TEST(VersionCheck, VerdictOnWhatTheHostSends) {
  const VersionCase cases[] = {
      {"1.23.4", "1.23.5", "offered", "a newer build"},
      {"1.23.4", "1.23.4", "up to date", "the same version"},
      {"1.23.4", "1.23.4\r\n", "up to date", "a line end is no new version"},
      {"1.23.4", "  1.24.0 \n", "offered", "blanks around the version"},
      {"1.90.0", "1.100.0", "offered", "numbers compare as numbers, not as characters"},
      {"1.100.0", "1.90.0", "up to date", "an older version is not offered"},
      {"1.23.4", "1.23", "up to date", "a missing number counts as 0"},
      {"1.23", "1.23.1", "offered", "a longer version after the same numbers"},
      {"1.23.4", "01.023.004", "up to date", "leading zeros change nothing"},
      {"1.23.4", "1.23.40000000000000000000", "offered", "numbers beyond any integer still compare"},
      {"", "1.23.4", "offered", "our own version could not be read"},
      {"0.90.1", "", "check failed", "an empty answer is no version"},
      {"0.90.1", "<html><body>Moved</body></html>", "check failed", "an error or redirection page"},
      {"0.90.1", "Version 1.0", "check failed", "text around the version"},
      {"0.90.1", "1..2", "check failed", "an empty number"},
      {"0.90.1", "1.2.", "check failed", "a dot at the end"},
      {"0.90.1", ".1.2", "check failed", "a dot at the start"},
      {"0.90.1", "1.2\r\n1.3", "check failed", "two lines"},
      {"0.90.1", "-1.2", "check failed", "a sign"},
      {"0.90.1", "\xd9\xa1.2", "check failed", "digits of another script"},
  };
  for (const VersionCase& c : cases) {
    EXPECT_STREQ(Name(JudgeVersion(wxString::FromUTF8(c.local), wxString::FromUTF8(c.host))), c.verdict)
        << c.why << ": local \"" << c.local << "\", host \"" << c.host << "\"";
  }
}

// An answer longer than 64 bytes is no version, however it is made: the longest version the
// program writes (four 16-bit numbers) with blanks and a line end up to 64 bytes still is one.
TEST(VersionCheck, AnAnswerLongerThanAnyVersionIsNone) {
  const std::string longest = "65535.6553565535.65535";
  std::string megabyte;
  while (megabyte.size() < (1u << 20)) megabyte += "1.";
  megabyte += "1";
  const struct {
    std::string host;
    const char* verdict;
  } cases[] = {
      {longest + "\r\n" + std::string(64 - longest.size() - 2, ' '), "offered"},
      {longest + "\r\n" + std::string(64 - longest.size() - 1, ' '), "check failed"},
      {std::string(64, '9'), "offered"},
      {std::string(65, '9'), "check failed"},
      {megabyte, "check failed"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(Name(JudgeVersion(wxS("0.90.1"), wxString::FromAscii(c.host.c_str()))), c.verdict)
        << c.host.size() << " bytes";
  }
}

TEST(VersionCheck, TheOfferNamesTheVersionWithoutItsLineEnd) {
  EXPECT_EQ(AnnouncedVersion(wxS("1.23.5\r\n")), wxS("1.23.5"));
  EXPECT_EQ(AnnouncedVersion(wxS("<html>")), wxString());
}

}  // namespace
