#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cycle/conversion_run.h"
#include "cycle/init_weather.h"
#include "gui_common/screenshot.h"
#include "peers/http_peer.h"
#include "platform/test_knobs.h"
#include "sim_stub.h"
#include "simlink/fsuipc_worker.h"
#include "weather_test_env.h"

namespace {

using apptest::Settle;
using apptest::SettleUntil;
using testsupport::CataloguePath;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

constexpr double kFrankfurtLat = 50.0333;
constexpr double kFrankfurtLon = 8.5706;
constexpr std::uint32_t kCloseCommand = 0x100;

std::string DemoFeed(const char* name) { return ReadBytes(CataloguePath(std::string("feed/") + name)); }

std::vector<std::string> RecordIcaos(const SimStub& stub) {
  std::vector<std::string> icaos;
  for (const SimStubEvent& event : stub.Events()) {
    if (event.kind == "record") icaos.push_back(event.icao);
  }
  return icaos;
}

// Sends that have ended (their closing command came).
int FinishedSends(const SimStub& stub) {
  int sends = 0;
  bool records = false;
  for (const SimStubEvent& event : stub.Events()) {
    if (event.kind == "record") records = true;
    if (event.kind == "command" && event.value == kCloseCommand && records) {
      ++sends;
      records = false;
    }
  }
  return sends;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The countdown in its own words: "Update in 1140s".
bool ShowsCountdown(Weather* window) {
  return std::regex_match(window->StatusBar->GetStatusText(0).utf8_string(), std::regex("Update in [0-9]+s"));
}

// No event loop runs in the window tests: the timer's ticks are dispatched here, between the
// deliveries of the threads' events.
bool TickUntil(Weather*& window, const std::function<bool()>& done) {
  return SettleUntil([&] {
    if (done()) return true;
    wxTimerEvent tick(*window->Timer);
    window->GetEventHandler()->ProcessEvent(tick);
    return done();
  });
}

// The main window with the update host and the VATSIM service on a local server, and the
// simulator stand-in with the aircraft at Frankfurt. The program's pauses run fast.
class WeatherCycle : public apptest::WeatherTest {
 protected:
  static constexpr double kTimeScale = 0.02;

  void SetUp() override {
    WeatherTest::SetUp();
    SetPlatformTimeScale(kTimeScale);
    PutCatalogues();
  }
  void TearDown() override {
    WeatherTest::TearDown();
    testsupport::UnsetEnvironment("NUBIVANE_UPDATE_HOST");
    testsupport::UnsetEnvironment("NUBIVANE_VATSIM_HOST");
    SetPlatformTimeScale(1.0);
  }

  void Serve(std::vector<testpeers::HttpRoute> routes) {
    peer = std::make_unique<testpeers::HttpPeer>(std::move(routes));
    testsupport::SetEnvironment("NUBIVANE_UPDATE_HOST", peer->BaseUrl());
    testsupport::SetEnvironment("NUBIVANE_VATSIM_HOST", peer->BaseUrl());
  }

  void StartSimulator(double latitude = kFrankfurtLat, double longitude = kFrankfurtLon) {
    SimStubScript script;
    script.latitude = latitude;
    script.longitude = longitude;
    stub = std::make_unique<SimStub>(script);
    ASSERT_TRUE(stub->Start());
  }

  void Ini(bool startupDownload) {
    WriteBytes("Nubivane.ini",
               std::string("[General]\nMetar=3\nDwlUpperair=0\nDwlAddWeather=0\nDwlStartup=") +
                   (startupDownload ? "1" : "0") + "\n[Weather]\nwxRange=300\n");
  }

  std::unique_ptr<testpeers::HttpPeer> peer;
  std::unique_ptr<SimStub> stub;
};

TEST_F(WeatherCycle, StartUpDownloadSplitChoiceAndSendWithGlobFirst) {
  Serve({{"/metar_NOAA.txt", 200, DemoFeed("metar.txt")}});
  StartSimulator();
  Ini(true);
  Open();
  ASSERT_TRUE(TickUntil(window, [&] { return FinishedSends(*stub) == 1; }));
  const std::vector<std::string> icaos = RecordIcaos(*stub);
  ASSERT_GT(icaos.size(), 30u);
  EXPECT_EQ(icaos.front(), "GLOB");
  EXPECT_EQ(std::count(icaos.begin(), icaos.end(), "GLOB"), 1);
  EXPECT_EQ(std::count(icaos.begin(), icaos.end(), "EDDF"), 1);
  EXPECT_EQ(icaos.back(), "EDDF");  // the nearest comes last
  EXPECT_EQ(peer->RequestLines().size(), 1u);

  const std::string log = Log();
  for (const char* line :
       {"Main: Download NOAA-Metar", "InitWeather: Start WX-Splitter", "Main: Sent WX to FS",
        "Main: Insert GLOB in Vector", "Main: Start Send WX to FS"}) {
    EXPECT_TRUE(Contains(log, line)) << line;
  }
  EXPECT_LT(log.find("InitWeather: Start WX-Splitter"), log.find("Main: Sent WX to FS"));
  ASSERT_TRUE(TickUntil(window, [&] { return window->MainMenu->IsEnabled(kIdSendWxToFs); }));
  ASSERT_TRUE(TickUntil(window, [&] { return ShowsCountdown(window); }));
  EXPECT_TRUE(dialogs.boxes.empty());

  // Every 60 counted ticks the nearest station is shown, decoded, with its distance.
  window->StationList->Clear();
  ASSERT_TRUE(TickUntil(window, [&] { return window->StationList->GetCount() == 2; }));
  EXPECT_TRUE(window->StationList->GetString(0).StartsWith("EDDF ")) << window->StationList->GetString(0);
  EXPECT_TRUE(std::regex_match(window->StationList->GetString(1).utf8_string(),
                               std::regex("Distance to: [0-9]+\\.[0-9] NM")))
      << window->StationList->GetString(1);
  const wxString report = window->ReportText->GetValue();
  EXPECT_TRUE(report.StartsWith("ICAO: EDDF")) << report;
  // The feed's report begins "EDDF 171150Z 21005KT 3200 RA BR FEW003 SCT008 OVC019 02/02 Q1013".
  for (const char* line : {"Name: Frankfurt / M-Flughafen", "Wind direction: 210°", "Wind speed: 5kt",
                           "Visibility: 3200 m", "Atmospheric pressure: 1013 hPa"}) {
    EXPECT_NE(report.Find(wxString::FromUTF8(line)), wxNOT_FOUND) << line << "\n" << report;
  }

  guitest::PaintNow(window);
  const wxString path = guitest::SaveWindowScreenshot(window, "main_window_after_send");
  EXPECT_FALSE(path.empty());
  std::printf("main window screenshot: %s\n", static_cast<const char*>(path.utf8_str()));

  // Beyond the range from where the last send was: the next tick sends the stations there.
  stub->SetPosition(51.4706, -0.4619);  // London Heathrow, about 350 NM away
  ASSERT_TRUE(TickUntil(window, [&] { return FinishedSends(*stub) == 2; }));
  const std::vector<std::string> both = RecordIcaos(*stub);
  EXPECT_EQ(both[icaos.size()], "GLOB");
  EXPECT_EQ(both.back(), "EGLL");
  EXPECT_EQ(peer->RequestLines().size(), 1u);  // a movement sends what is loaded
}

// The program downloads on its running event loop, where the window lays out and draws the
// progress as it comes by letting the display's events through inside that loop.
TEST_F(WeatherCycle, DownloadOnTheRunningLoopShowsItsProgress) {
  testpeers::HttpRoute paced{"/metar_NOAA.txt", 200, std::string(4000, 'M')};
  paced.endless = true;
  paced.repeats = 8;
  paced.pauseMs = 50;  // a piece every 50 ms: the progress is drawn on the way
  paced.announcedLength = 32000;
  Serve({paced});
  Ini(false);
  Open();
  int result = -1;
  wxString text = "earlier text ";  // the download adds to what the text holds
  wxTheApp->CallAfter([&] {
    result = window->Download(peer->BaseUrl() + "/metar_NOAA.txt", &text, "Download Metar");
    wxTheApp->ExitMainLoop();
  });
  wxTheApp->MainLoop();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(text, "earlier text " + std::string(32000, 'M'));
  EXPECT_TRUE(window->ProgressGauge->IsShown());
  EXPECT_EQ(window->ProgressLabel->GetLabel(), "Download Metar 32 KB from 32 KB");
  EXPECT_EQ(window->ProgressGauge->GetValue(), window->ProgressGauge->GetRange());

  // Before anything arrives the label says that the program connects; a scheme it does not
  // speak gets no further than that.
  window->ProgressGauge->Hide();
  text = "earlier text";
  EXPECT_EQ(window->Download("gopher://127.0.0.1/metar.txt", &text, "Download Metar"), 2);
  EXPECT_EQ(window->ProgressLabel->GetLabel(), "Connecting to weatherserver....");
  EXPECT_TRUE(window->ProgressGauge->IsShown());
  EXPECT_EQ(text, "earlier text");
}

struct FreshStepCase {
  const char* what;
  bool listsTaken;  // the window took the first split's lists before the second step
};

// A download step starts from nothing: what the window holds and what the loader has published
// from the texts before are gone, so a second step whose feeds all fail leaves nothing to send.
TEST_F(WeatherCycle, EveryDownloadStepStartsFromNothing) {
  const FreshStepCase cases[] = {{"lists taken", true}, {"split ready, lists not taken", false}};
  for (const FreshStepCase& c : cases) {
    Serve({{"/metar_NOAA.txt", 200, DemoFeed("metar.txt")}});
    Ini(false);
    Open();
    wxCommandEvent menu(wxEVT_MENU, kIdDownloadWx);
    window->ProcessWindowEvent(menu);
    if (c.listsTaken) {
      ASSERT_TRUE(SettleUntil([&] { return window->Stations.size() > 100; })) << c.what;
    } else {
      // No event is let through: the lists wait in the hand-over.
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (!window->Loader->HandOver().IsReady() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      ASSERT_TRUE(window->Loader->HandOver().IsReady()) << c.what;
      ASSERT_TRUE(window->Stations.empty()) << c.what;
    }
    Serve({{"/metar_NOAA.txt", 503, "<html>busy</html>"},
           {"/data/metar.php?id=ALL", 503, "<html>busy</html>"}});
    window->ProcessWindowEvent(menu);
    Settle();
    EXPECT_FALSE(window->TakeLoadedLists()) << c.what;
    EXPECT_TRUE(window->Stations.empty()) << c.what;
    EXPECT_TRUE(window->MetarText.empty()) << c.what;
    EXPECT_FALSE(window->Loader->HandOver().IsReady()) << c.what;
    Close();
    dialogs.boxes.clear();
  }
}

// Inside the fallback's box the library dispatches timer events; a tick there starts nothing.
class TickInsideBoxes : public wxModalDialogHook {
 public:
  explicit TickInsideBoxes(Weather*& window) : window_(window) { Register(); }
  ~TickInsideBoxes() override { Unregister(); }

  std::vector<std::pair<wxString, wxString>> countdowns;  // status field 0 before and after

 protected:
  int Enter(wxDialog*) override {
    const wxString before = window_->StatusBar->GetStatusText(0);
    wxTimerEvent tick(*window_->Timer);
    window_->GetEventHandler()->ProcessEvent(tick);
    countdowns.emplace_back(before, window_->StatusBar->GetStatusText(0));
    return wxID_NONE;  // the recorder answers
  }

 private:
  Weather*& window_;
};

TEST_F(WeatherCycle, FailedFeedFallsBackAndATickInsideTheBoxStartsNothing) {
  Serve({{"/metar_NOAA.txt", 503, "<html>busy</html>"},
         {"/data/metar.php?id=ALL", 200, DemoFeed("metar.txt")}});
  StartSimulator();
  Ini(false);
  Open();
  ASSERT_TRUE(TickUntil(window, [&] { return ShowsCountdown(window); }));
  TickInsideBoxes ticks(window);
  wxCommandEvent menu(wxEVT_MENU, kIdDownloadWx);
  window->ProcessWindowEvent(menu);

  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, "ERROR");
  EXPECT_EQ(
      dialogs.boxes[0].message,
      "Couldn't connect to Weather Server .\r\nConnection Timeout.\r\nTry connect to the Vatsim-Server!");
  ASSERT_EQ(ticks.countdowns.size(), 1u);
  EXPECT_EQ(ticks.countdowns[0].first, ticks.countdowns[0].second);
  const std::vector<std::string> requests = peer->RequestLines();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(Contains(requests[0], "/metar_NOAA.txt"));
  EXPECT_TRUE(Contains(requests[1], "/data/metar.php?id=ALL"));

  ASSERT_TRUE(TickUntil(window, [&] { return FinishedSends(*stub) == 1; }));
  EXPECT_EQ(RecordIcaos(*stub).front(), "GLOB");
  const std::string log = Log();
  EXPECT_LT(log.find("Main: Download NOAA-Metar"), log.find("Error: Couldn't connect to Weather Server"));
  EXPECT_LT(log.find("Error: Couldn't connect to Weather Server"),
            log.find("InitWeather: Start WX-Splitter"));
}

// Texts handed to the loader and not yet taken count as a split under way: the countdown holds.
TEST_F(WeatherCycle, ARequestNotYetTakenHoldsTheCountdown) {
  Serve({});
  StartSimulator();
  Ini(false);
  Open();
  ASSERT_TRUE(TickUntil(window, [&] { return ShowsCountdown(window); }));
  window->Loader->HandOver().Stop();  // the loader takes nothing from now on
  window->Loader->HandOver().Request({wxS("EDDF 121150Z 27010KT\n"), wxString(), wxString()});
  ASSERT_TRUE(window->Loader->HandOver().IsRequested());
  const wxString held = window->StatusBar->GetStatusText(0);
  for (int i = 0; i < 3; ++i) {
    wxTimerEvent tick(*window->Timer);
    window->GetEventHandler()->ProcessEvent(tick);
  }
  EXPECT_EQ(window->StatusBar->GetStatusText(0), held);
}

// Every report of the feed fails its range check: nothing goes to the writer, the label does not
// say "Success", and the send item is usable again.
TEST_F(WeatherCycle, WhenEveryStationFailsNothingIsHandedOver) {
  std::string feed;
  for (int i = 0; i < 120; ++i) feed += "EDDF 141520Z 09009KT CAVOK 16/02 Q1995\n";  // a mistyped QNH
  Serve({{"/metar_NOAA.txt", 200, feed}});
  StartSimulator();
  Ini(true);
  Open();
  ASSERT_TRUE(TickUntil(window, [&] { return Contains(Log(), "Main: No station to send"); }));
  Settle();
  EXPECT_EQ(window->ProgressLabel->GetLabel(), kNothingConvertedLabel);
  EXPECT_TRUE(window->MainMenu->IsEnabled(kIdSendWxToFs));
  EXPECT_TRUE(RecordIcaos(*stub).empty());
  EXPECT_TRUE(Contains(Log(), "Main: Error: Check NewWeather -> EDDF"));
  EXPECT_FALSE(Contains(Log(), "Main: Start Send WX to FS"));
}

// The split's last progress ("Ready") is posted before its lists; a tick between them and the
// delivery of that progress sends, and the send's label is what stays.
TEST_F(WeatherCycle, TheSendsLabelOutlastsTheProgressPostedBeforeIt) {
  struct Case {
    const char* name;
    const char* report;
    double latitude;
    double longitude;
    const char* label;
  };
  const Case cases[] = {
      {"every report fails its range check", "EDDF 141520Z 09009KT CAVOK 16/02 Q1995", kFrankfurtLat,
       kFrankfurtLon, "No weather to send: no station converted"},
      {"no station within 10000 km", "EDDF 141520Z 09009KT CAVOK 16/02 Q1015", -kFrankfurtLat,
       kFrankfurtLon - 180.0, "No station within 10000 km of the aircraft"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string feed;
    for (int i = 0; i < 120; ++i) feed += std::string(c.report) + "\n";
    Serve({{"/metar_NOAA.txt", 200, feed}});
    StartSimulator(c.latitude, c.longitude);
    Ini(true);
    Open();
    // The start-up download runs in the first tick that finds the simulator ready.
    ASSERT_TRUE(TickUntil(window, [&] { return window->Downloaded; }));
    // From here no event is delivered until the split is ready: its progress waits in the queue.
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!window->Loader->HandOver().IsReady() && std::chrono::steady_clock::now() < bound) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(window->Loader->HandOver().IsReady());
    wxTimerEvent tick(*window->Timer);
    window->GetEventHandler()->ProcessEvent(tick);
    EXPECT_TRUE(Contains(Log(), "Main: Sent WX to FS"));
    Settle();
    EXPECT_EQ(window->ProgressLabel->GetLabel(), c.label);
    EXPECT_EQ(window->StatusBar->GetStatusText(1), "Metar: 120 Upperair: 0 Synop: 0");
    EXPECT_FALSE(window->ProgressGauge->IsShown());
    Close();
    stub.reset();
  }
}

// A download step that ends without a feed leaves its boxes, and no label or gauge that still
// claims a connection.
TEST_F(WeatherCycle, ADownloadThatEndsWithoutAFeedClaimsNoConnection) {
  struct Case {
    const char* name;
    std::vector<testpeers::HttpRoute> routes;
    const char* ini;
    std::size_t boxes;
  };
  const Case cases[] = {
      {"the feed and its fallback fail",
       {{"/metar_NOAA.txt", 503, "busy"}, {"/data/metar.php?id=ALL", 503, "busy"}},
       "[General]\nMetar=3\nDwlUpperair=0\n",
       2},
      {"the upper-air text fails",
       {{"/metar_NOAA.txt", 200, DemoFeed("metar.txt")}, {"/upperair.txt", 503, "busy"}},
       "[General]\nMetar=3\nDwlUpperair=1\n",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Serve(c.routes);
    WriteBytes("Nubivane.ini", c.ini);
    Open();
    dialogs.boxes.clear();  // the start's own (the last run's log holds an error)
    wxCommandEvent menu(wxEVT_MENU, kIdDownloadWx);
    window->ProcessWindowEvent(menu);
    Settle();
    ASSERT_EQ(dialogs.boxes.size(), c.boxes);
    EXPECT_EQ(dialogs.boxes.back().message, "Couldn't connect to Weather Server");
    EXPECT_EQ(window->ProgressLabel->GetLabel(), "");
    EXPECT_FALSE(window->ProgressGauge->IsShown());
    EXPECT_FALSE(window->Loader->HandOver().IsRequested());
    Close();
  }
}

}  // namespace

namespace {

// The nearest station's report that does not decode (it has no pressure) is still shown, as far as
// it decoded, and nothing is logged: unlike a station entered by its ICAO code.
TEST_F(WeatherCycle, TheNearestStationIsShownEvenWhenItsReportDoesNotDecode) {
  const wxString undecodable = wxS("EDDF 141520Z 09009KT CAVOK 16/02 NOSIG");
  StartSimulator();
  Ini(false);
  Open();
  ASSERT_TRUE(SettleUntil([&] { return window->Writer->IsSimReady(); }));
  // More than ten stations, or the nearest is never shown; Frankfurt is the nearest.
  std::vector<wxString> reports{undecodable};
  for (const char* icao : {"EDDB", "EDDH", "EDDM", "EDDK", "EDDL", "EDDS", "EDDN", "EDDW", "EDDV", "EDDP"})
    reports.push_back(wxString(icao) + wxS(" 171150Z 12009KT 9999 FEW030 10/05 Q1012"));
  for (const wxString& raw : reports) {
    MetarRecord station;
    station.Raw = raw;
    ASSERT_TRUE(window->Metar->FindMetarStation(&station)) << raw;
    window->Stations.push_back(station);
  }
  window->ReportText->SetValue(wxS("earlier station"));
  ASSERT_TRUE(TickUntil(window, [&] { return window->StationList->GetCount() == 2; }));
  EXPECT_EQ(window->StationList->GetString(0), undecodable);
  EXPECT_TRUE(window->ReportText->GetValue().StartsWith("ICAO: EDDF")) << window->ReportText->GetValue();
  EXPECT_FALSE(Contains(Log(), "Main: Error: Decode Metar")) << Log();
}

}  // namespace
