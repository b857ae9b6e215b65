#include "cycle/feed_download.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "peers/ftp_peer.h"
#include "support/download.h"

namespace {

const FeedEndpoints kEndpoints{"http://127.0.0.1:1", "http://127.0.0.1:2", "ftp://127.0.0.1:3"};

// Serves the feeds that are up and records every step as a line: the log lines, each download
// with its caption, each box with its caption.
struct ScriptedFeeds : FeedDownloadHost {
  std::map<std::string, std::string> up;  // URL -> text
  std::vector<std::string> steps;
  std::string stopsAt;  // the URL whose download a close request stops
  bool stopped = false;

  bool Fetch(const wxString& url, wxString& text, const wxString& caption) override {
    steps.push_back("fetch " + url.ToStdString() + " (" + caption.ToStdString() + ")");
    if (url.ToStdString() == stopsAt) stopped = true;
    if (stopped) return false;
    const auto found = up.find(url.ToStdString());
    if (found == up.end()) return false;
    text += wxString::FromAscii(found->second.c_str());
    return true;
  }
  void ShowBox(const wxString& text, const wxString& caption) override {
    steps.push_back("box " + caption.ToStdString() + ": " + text.ToStdString());
  }
  bool Stopped() override { return stopped; }
  LogLine Log() {
    return [this](const wxString& line) { steps.push_back("log " + line.ToStdString()); };
  }
};

OptionData Options(std::int32_t metar, bool upperair, bool synop) {
  OptionData options;
  options.Metar = metar;
  options.DwlUpperair = upperair;
  options.DwlAddWeather = synop;
  return options;
}

const std::string kVatsimMirror = "http://127.0.0.1:1/metar_VATSIM.txt";
const std::string kNoaaMirror = "http://127.0.0.1:1/metar_NOAA.txt";
const std::string kUpperair = "http://127.0.0.1:1/upperair.txt";
const std::string kSynop = "http://127.0.0.1:1/synop.txt";
const std::string kVatsimService = "http://127.0.0.1:2/data/metar.php?id=ALL";
const std::string kSplit = "log InitWeather: Start WX-Splitter";
const std::string kFirstBox =
    "box ERROR: Couldn't connect to Weather Server .\r\nConnection Timeout.\r\nTry connect to the "
    "Vatsim-Server!";
const std::string kBox = "box ERROR: Couldn't connect to Weather Server";
const std::string kError = "log Error: Couldn't connect to Weather Server";

TEST(FeedDownload, TheOptionChoosesTheMetarFeed) {
  const struct {
    std::int32_t option;
    const char* log;
    const char* url;
  } cases[] = {
      {1, "Main: Download VATSIM-Metar", "http://127.0.0.1:1/metar_VATSIM.txt"},
      {2, "Main: Download IVAO-Metar", "ftp://127.0.0.1:3/data/observations/metar/cycles/17Z.txt"},
      {3, "Main: Download NOAA-Metar", "http://127.0.0.1:1/metar_NOAA.txt"},
      {0, "Main: Download NOAA-Metar", "http://127.0.0.1:1/metar_NOAA.txt"},
      {-4, "Main: Download NOAA-Metar", "http://127.0.0.1:1/metar_NOAA.txt"},
  };
  for (const auto& c : cases) {
    const FeedSource source = ChooseMetarFeed(c.option, kEndpoints);
    EXPECT_EQ(source.Announce, c.log) << c.option;
    EXPECT_EQ(source.Url, c.url) << c.option;
  }
}

TEST(FeedDownload, EveryEnabledFeedInOrder) {
  ScriptedFeeds feeds;
  feeds.up = {{kNoaaMirror, "METAR"}, {kUpperair, "TEMP"}, {kSynop, "SYNOP"}};
  DownloadedFeeds texts;
  EXPECT_TRUE(RunFeedDownload(Options(3, true, true), kEndpoints, feeds, feeds.Log(), texts));
  const std::vector<std::string> expected = {
      "log Main: Download NOAA-Metar",
      "fetch " + kNoaaMirror + " (Download Metar)",
      "log Main: Download UpperAir",
      "fetch " + kUpperair + " (Download Upperair)",
      "log Main: Download Synop",
      "fetch " + kSynop + " (Download Synop)",
      kSplit,
  };
  EXPECT_EQ(feeds.steps, expected);
  EXPECT_EQ(texts.Metar, "METAR");
  EXPECT_EQ(texts.Upperair, "TEMP");
  EXPECT_EQ(texts.Synop, "SYNOP");
}

TEST(FeedDownload, OnlyTheEnabledTexts) {
  ScriptedFeeds feeds;
  feeds.up = {{kVatsimMirror, "METAR"}, {kUpperair, "TEMP"}, {kSynop, "SYNOP"}};
  DownloadedFeeds texts;
  EXPECT_TRUE(RunFeedDownload(Options(1, false, true), kEndpoints, feeds, feeds.Log(), texts));
  const std::vector<std::string> expected = {
      "log Main: Download VATSIM-Metar",
      "fetch " + kVatsimMirror + " (Download Metar)",
      "log Main: Download Synop",
      "fetch " + kSynop + " (Download Synop)",
      kSplit,
  };
  EXPECT_EQ(feeds.steps, expected);
  EXPECT_TRUE(texts.Upperair.empty());
}

// The chosen feed fails: one box, one error line, then the VATSIM service; the optional texts are
// left out of this cycle even when enabled.
TEST(FeedDownload, FailedFeedFallsBackToTheVatsimService) {
  ScriptedFeeds feeds;
  feeds.up = {{kVatsimService, "METAR"}, {kUpperair, "TEMP"}, {kSynop, "SYNOP"}};
  DownloadedFeeds texts;
  EXPECT_TRUE(RunFeedDownload(Options(3, true, true), kEndpoints, feeds, feeds.Log(), texts));
  const std::vector<std::string> expected = {
      "log Main: Download NOAA-Metar",
      "fetch " + kNoaaMirror + " (Download Metar)",
      kFirstBox,
      kError,
      "fetch " + kVatsimService + " (Download Metar)",
      kSplit,
  };
  EXPECT_EQ(feeds.steps, expected);
  EXPECT_EQ(texts.Metar, "METAR");
  EXPECT_TRUE(texts.Upperair.empty());
  EXPECT_TRUE(texts.Synop.empty());
}

// A server that answers with nothing has sent no METAR feed: the same box and fallback as a feed
// that did not come; an empty fallback ends the step as a failed one does. An empty upper-air or
// SYNOP text is only a cycle without them.
TEST(FeedDownload, EmptyMetarTextIsAFailedDownload) {
  const struct {
    const char* why;
    std::map<std::string, std::string> up;
    bool split;
    std::vector<std::string> expected;
    std::string metar;
  } cases[] = {
      {"empty feed, good fallback",
       {{kNoaaMirror, ""}, {kVatsimService, "METAR"}, {kUpperair, "TEMP"}, {kSynop, "SYNOP"}},
       true,
       {"log Main: Download NOAA-Metar", "fetch " + kNoaaMirror + " (Download Metar)", kFirstBox, kError,
        "fetch " + kVatsimService + " (Download Metar)", kSplit},
       "METAR"},
      {"empty feed, empty fallback",
       {{kNoaaMirror, ""}, {kVatsimService, ""}},
       false,
       {"log Main: Download NOAA-Metar", "fetch " + kNoaaMirror + " (Download Metar)", kFirstBox, kError,
        "fetch " + kVatsimService + " (Download Metar)", kBox},
       ""},
      {"empty upper air and SYNOP",
       {{kNoaaMirror, "METAR"}, {kUpperair, ""}, {kSynop, ""}},
       true,
       {"log Main: Download NOAA-Metar", "fetch " + kNoaaMirror + " (Download Metar)",
        "log Main: Download UpperAir", "fetch " + kUpperair + " (Download Upperair)",
        "log Main: Download Synop", "fetch " + kSynop + " (Download Synop)", kSplit},
       "METAR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ScriptedFeeds feeds;
    feeds.up = c.up;
    DownloadedFeeds texts;
    EXPECT_EQ(RunFeedDownload(Options(3, true, true), kEndpoints, feeds, feeds.Log(), texts), c.split);
    EXPECT_EQ(feeds.steps, c.expected);
    EXPECT_EQ(texts.Metar, c.metar);
  }
}

TEST(FeedDownload, FallbackFailingTooEndsTheStepWithASecondBox) {
  ScriptedFeeds feeds;
  DownloadedFeeds texts;
  EXPECT_FALSE(RunFeedDownload(Options(2, false, false), kEndpoints, feeds, feeds.Log(), texts));
  const std::vector<std::string> expected = {
      "log Main: Download IVAO-Metar",
      "fetch ftp://127.0.0.1:3/data/observations/metar/cycles/17Z.txt (Download Metar)",
      kFirstBox,
      kError,
      "fetch " + kVatsimService + " (Download Metar)",
      kBox,
  };
  EXPECT_EQ(feeds.steps, expected);
}

// A stop (the window closing) ends the step where it stands: no box, no log line, no fallback.
TEST(FeedDownload, StoppedDownloadEndsTheStepSilently) {
  const struct {
    std::string stopsAt;
    std::vector<std::string> expected;
  } cases[] = {
      {kNoaaMirror, {"log Main: Download NOAA-Metar", "fetch " + kNoaaMirror + " (Download Metar)"}},
      {kVatsimService,
       {"log Main: Download NOAA-Metar", "fetch " + kNoaaMirror + " (Download Metar)", kFirstBox, kError,
        "fetch " + kVatsimService + " (Download Metar)"}},
      {kUpperair,
       {"log Main: Download NOAA-Metar", "fetch " + kNoaaMirror + " (Download Metar)",
        "log Main: Download UpperAir", "fetch " + kUpperair + " (Download Upperair)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopsAt);
    ScriptedFeeds feeds;
    feeds.stopsAt = c.stopsAt;
    if (c.stopsAt == kUpperair) feeds.up = {{kNoaaMirror, "METAR"}};
    DownloadedFeeds texts;
    EXPECT_FALSE(RunFeedDownload(Options(3, true, true), kEndpoints, feeds, feeds.Log(), texts));
    EXPECT_EQ(feeds.steps, c.expected);
  }
}

TEST(FeedDownload, FailedOptionalTextEndsTheStepLogFirst) {
  const struct {
    bool upperairUp;
    std::vector<std::string> tail;
  } cases[] = {
      {false, {"log Main: Download UpperAir", "fetch " + kUpperair + " (Download Upperair)", kError, kBox}},
      {true,
       {"log Main: Download UpperAir", "fetch " + kUpperair + " (Download Upperair)",
        "log Main: Download Synop", "fetch " + kSynop + " (Download Synop)", kError, kBox}},
  };
  for (const auto& c : cases) {
    ScriptedFeeds feeds;
    feeds.up = {{kVatsimMirror, "METAR"}};
    if (c.upperairUp) feeds.up[kUpperair] = "TEMP";
    DownloadedFeeds texts;
    EXPECT_FALSE(RunFeedDownload(Options(1, true, true), kEndpoints, feeds, feeds.Log(), texts));
    const std::vector<std::string> tail(feeds.steps.begin() + 2, feeds.steps.end());
    EXPECT_EQ(tail, c.tail) << c.upperairUp;
  }
}

TEST(FeedDownload, EndpointsComeFromTheEnvironment) {
  testsupport::SetEnvironment("NUBIVANE_UPDATE_HOST", "http://127.0.0.1:8080/");
  testsupport::SetEnvironment("NUBIVANE_VATSIM_HOST", "http://127.0.0.1:8081");
  testsupport::SetEnvironment("NUBIVANE_NOAA_FTP_HOST", "ftp://127.0.0.1:2121//");
  const FeedEndpoints endpoints = DefaultFeedEndpoints();
  testsupport::UnsetEnvironment("NUBIVANE_UPDATE_HOST");
  testsupport::UnsetEnvironment("NUBIVANE_VATSIM_HOST");
  testsupport::UnsetEnvironment("NUBIVANE_NOAA_FTP_HOST");
  EXPECT_EQ(ChooseMetarFeed(1, endpoints).Url, "http://127.0.0.1:8080/metar_VATSIM.txt");
  EXPECT_EQ(VatsimFallbackFeed(endpoints).Url, "http://127.0.0.1:8081/data/metar.php?id=ALL");
  EXPECT_EQ(ChooseMetarFeed(2, endpoints).Url, "ftp://127.0.0.1:2121/data/observations/metar/cycles/17Z.txt");
  const FeedEndpoints defaults = DefaultFeedEndpoints();
  EXPECT_TRUE(defaults.VatsimHost.StartsWith("http://"));
  EXPECT_TRUE(defaults.NoaaFtpHost.StartsWith("ftp://"));
}

// The gauge's value never passes its range, whatever the server announced.
TEST(FeedProgress, LabelAndGaugeStayWithinTheirRange) {
  constexpr std::uint64_t kIntMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
  const struct {
    std::uint64_t received, size;
    bool known;
    const char* label;
    int range, value;
    bool pulse;
  } cases[] = {
      {999, 1234567, true, "Download Metar 0 KB from 1234 KB", 1234567, 999, false},
      {1234567, 1234567, true, "Download Metar 1234 KB from 1234 KB", 1234567, 1234567, false},
      {5000, 3000, true, "Download Metar 3 KB from 3 KB", 3000, 3000, false},  // more than announced
      {52000, 0, false, "Download Metar 52 KB", 0, 0, true},                   // no length announced
      {52000, 0, true, "Download Metar 52 KB", 0, 0, true},                    // Content-Length: 0
      {kIntMax, 2 * kIntMax, true, "Download Metar 2147483 KB from 4294967 KB", static_cast<int>(kIntMax),
       static_cast<int>(kIntMax / 2), false},
      {3 * kIntMax, 2 * kIntMax, true, "Download Metar 4294967 KB from 4294967 KB", static_cast<int>(kIntMax),
       static_cast<int>(kIntMax), false},
  };
  for (const auto& c : cases) {
    const FeedProgressView view = ViewFeedProgress("Download Metar", c.received, c.size, c.known);
    EXPECT_EQ(view.Label, c.label);
    EXPECT_EQ(view.Range, c.range) << c.label;
    EXPECT_NEAR(view.Value, c.value, 1) << c.label;
    EXPECT_LE(view.Value, view.Range) << c.label;
    EXPECT_EQ(view.Pulse, c.pulse) << c.label;
  }
}

// An FTP server that gives the file's size shows it as an HTTP server's length is shown; one that
// refuses it is counted without a size, with a moving gauge.
TEST(FeedProgress, AnFtpDownloadShowsTheSizeTheServerGives) {
  testpeers::FtpPeer peer(
      {{"metar.txt", std::string(52000, 'M')}, {"nosize-metar.txt", std::string(52000, 'M')}});
  ASSERT_TRUE(peer.Started());
  const struct {
    const char* file;
    const char* lastLabel;
    bool pulse;
  } cases[] = {
      {"/metar.txt", "Download Metar 52 KB from 52 KB", false},
      {"/nosize-metar.txt", "Download Metar 52 KB", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<FeedProgressView> views;
    DownloadOptions options;
    options.limits = kFeedDownloadLimits;
    options.progress = [&views](const DownloadProgress& progress) {
      views.push_back(
          ViewFeedProgress("Download Metar", progress.receivedBytes, progress.sizeBytes, progress.sizeKnown));
    };
    wxString text;
    ASSERT_EQ(DownloadText(peer.BaseUrl() + c.file, text, options), DownloadResult::kComplete);
    EXPECT_EQ(text.length(), 52000u);
    ASSERT_FALSE(views.empty());
    EXPECT_EQ(views.back().Label, c.lastLabel);
    for (const FeedProgressView& view : views) {
      EXPECT_EQ(view.Pulse, c.pulse) << view.Label;
      EXPECT_LE(view.Value, view.Range) << view.Label;
    }
  }
}

}  // namespace
