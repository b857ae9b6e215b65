#include "cycle/init_weather.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/event.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/test_paths.h"
#include "platform/test_knobs.h"

namespace {

using namespace std::chrono_literals;
using testsupport::CataloguePath;
using testsupport::FixturePath;

// Stands in for the main window: collects what the loader posts.
class Sink : public wxEvtHandler {
 public:
  Sink() {
    // Events may still wait in the queue after the loader has gone, as in the main window.
    Bind(EVT_LOADER_PROGRESS, [this](wxThreadEvent&) {
      if (loader != nullptr) progress.push_back(loader->Progress().Take());
    });
    Bind(EVT_LOADER_MESSAGE, [this](wxThreadEvent& e) { messages.push_back(e.GetString()); });
    Bind(EVT_LOADER_LOG, [this](wxThreadEvent& e) { logged.push_back(e.GetString()); });
    Bind(EVT_LOADER_LISTS, [this](wxThreadEvent&) {
      ++published;
      LoadedLists taken;
      if (loader != nullptr && loader->HandOver().TakeLists(taken)) lists.push_back(std::move(taken));
    });
  }

  InitWeather* loader = nullptr;
  std::vector<LoaderProgress> progress;
  std::vector<wxString> messages;
  std::vector<wxString> logged;
  std::vector<LoadedLists> lists;
  int published = 0;  // events: lists waiting may have been replaced by newer ones before taken
};

wxString SampleFeed() {
  return testsupport::ReadLatin1(testsupport::SharedDataPath("metar-cycle-sample.txt"));
}

class InitWeatherTest : public ::testing::Test {
 protected:
  void Start(const wxString& airports = wxString(CataloguePath("airport.dat"))) {
    loader = new InitWeather(&sink, wxString(CataloguePath("station.dat")), airports);
    sink.loader = loader;
    ASSERT_EQ(loader->Run(), wxTHREAD_NO_ERROR);
  }

  // Stops and joins the loader the way the main window does; the time it took.
  std::chrono::milliseconds StopLoader() {
    const auto start = std::chrono::steady_clock::now();
    loader->Delete();
    const auto took = std::chrono::steady_clock::now() - start;
    delete loader;
    loader = nullptr;
    sink.loader = nullptr;
    return std::chrono::duration_cast<std::chrono::milliseconds>(took);
  }

  void TearDown() override {
    if (loader != nullptr) StopLoader();
    SetPlatformTimeScale(1.0);
  }

  // Lets the posted events through until the condition holds; false after the bound.
  bool DeliverUntil(const std::function<bool()>& done, std::chrono::seconds bound = 60s) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < end) {
      Deliver();
      if (done()) return true;
      std::this_thread::sleep_for(2ms);
    }
    return false;
  }

  void Deliver() { wxAppConsole::GetInstance()->ProcessPendingEvents(); }

  Sink sink;
  InitWeather* loader = nullptr;
};

// With a SYNOP text of whole bulletins: every station of a bulletin counts, not only the
// first, which alone carries the bulletin's "AAXX YYGGi".
TEST_F(InitWeatherTest, SplitsTheRealSampleAndSaysReady) {
  Start();
  EXPECT_FALSE(loader->HandOver().IsReady());
  loader->HandOver().Request(
      {SampleFeed(), wxString(), testsupport::ReadLatin1(FixturePath("synop_multi_station_bulletins.txt"))});
  ASSERT_TRUE(DeliverUntil([&] { return !sink.lists.empty(); }));
  EXPECT_TRUE(loader->HandOver().IsReady());
  EXPECT_FALSE(loader->HandOver().IsBusy());
  const int stations = static_cast<int>(sink.lists[0].Stations.size());
  EXPECT_GT(stations, 5000);

  // The last progress is the end of the split, whatever was coalesced before it.
  ASSERT_TRUE(DeliverUntil([&] { return !sink.progress.empty() && sink.progress.back().Label == "Ready"; }));
  const LoaderProgress& last = sink.progress.back();
  EXPECT_EQ(last.Counts, wxString::Format("Metar: %i Upperair: 0 Synop: 11", stations));
  EXPECT_TRUE(last.GaugeHidden);
  // The thousands of items reached the window as a handful of updates.
  EXPECT_LT(sink.progress.size(), 100u);
  EXPECT_TRUE(sink.messages.empty());
}

// Each split identifies the stations by "airport.dat" as the file is at that split.
TEST_F(InitWeatherTest, EachSplitReadsTheAirportCatalogueAsItIsThen) {
  testsupport::ScopedWorkDir dir;
  testsupport::WriteBytes("airport.dat", "EDDF,Frankfurt Main,364,50.0333,8.5706\r\n");
  Start(wxS("airport.dat"));
  const wxString text = wxS("EDDF 121150Z 27010KT\nEDDM 121150Z 27013KT\n");
  loader->HandOver().Request({text, wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return sink.lists.size() == 1u; }));
  testsupport::WriteBytes("airport.dat", "EDDM,Muenchen,1487,48.3538,11.7861\r\n");
  loader->HandOver().Request({text, wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return sink.lists.size() == 2u; }));
  ASSERT_EQ(sink.lists[0].Stations.size(), 1u);
  EXPECT_EQ(sink.lists[0].Stations[0].Icao, "EDDF");
  ASSERT_EQ(sink.lists[1].Stations.size(), 1u);
  EXPECT_EQ(sink.lists[1].Stations[0].Icao, "EDDM");
  StopLoader();
}

// The running split ends whole and publishes; the newer texts are split after it.
TEST_F(InitWeatherTest, ARequestDuringASplitIsTakenAfterIt) {
  Start(wxString(FixturePath("airport-three-stations.dat")));
  loader->SetSleep(5);  // each split takes a second and a half: the window takes each one's lists
  wxString frankfurt;
  wxString newYork;
  for (int i = 0; i < 300; ++i) {
    frankfurt += wxS("EDDF 121150Z 27010KT\n");
    newYork += wxS("KJFK 121151Z 18005KT\n");
  }
  loader->HandOver().Request({frankfurt, wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return loader->HandOver().IsBusy(); }));
  loader->HandOver().Request({newYork, wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return sink.lists.size() == 2u; }));
  EXPECT_TRUE(loader->HandOver().IsReady());
  ASSERT_EQ(sink.lists[0].Stations.size(), 300u);
  EXPECT_EQ(sink.lists[0].Stations[0].Icao, "EDDF");
  ASSERT_EQ(sink.lists[1].Stations.size(), 300u);
  EXPECT_EQ(sink.lists[1].Stations[0].Icao, "KJFK");
  EXPECT_EQ(sink.published, 2);
}

// A download that begins while a split runs: the split of the older texts ends at its next
// report and publishes nothing, so the window never takes lists older than its download.
TEST_F(InitWeatherTest, ADownloadDuringASplitMakesTheLoaderAbandonIt) {
  Start(wxString(FixturePath("airport-three-stations.dat")));
  loader->SetSleep(60000);  // a minute after every report: the split is abandoned or never ends
  wxString many;
  for (int i = 0; i < 300; ++i) many += wxS("EDDF 121150Z 27010KT\n");
  loader->HandOver().Request({many, wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return loader->HandOver().IsBusy(); }));
  const auto start = std::chrono::steady_clock::now();
  loader->HandOver().Abandon();
  ASSERT_TRUE(DeliverUntil([&] { return !loader->HandOver().IsBusy(); }));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_FALSE(loader->HandOver().IsReady());
  loader->SetSleep(0);
  loader->HandOver().Request({wxS("KJFK 121151Z 18005KT\n"), wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return sink.published == 1; }));
  ASSERT_EQ(sink.lists.size(), 1u);
  ASSERT_EQ(sink.lists[0].Stations.size(), 1u);
  EXPECT_EQ(sink.lists[0].Stations[0].Icao, "KJFK");
}

TEST_F(InitWeatherTest, AStopDuringASplitEndsItAtOnce) {
  Start();
  loader->SetSleep(60000);  // a minute after every report: only a stop that cuts the pause ends it
  loader->HandOver().Request({SampleFeed(), wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return !sink.progress.empty() && sink.progress.back().GaugeValue >= 1; }));
  const auto took = StopLoader();
  std::printf("loader stop during a split took %lld ms\n", static_cast<long long>(took.count()));
  EXPECT_LT(took, 10000ms);
  Deliver();
  EXPECT_TRUE(sink.lists.empty());  // nothing half-done is published
}

// A broken feed of megabytes, a run of "=" before one letter, holds the loader no longer than a
// real one: a stop or a download that comes while it is split ends the split.
TEST_F(InitWeatherTest, AStopOrADownloadEndsTheSplitOfAHugeBrokenFeed) {
  const wxString broken = wxString(4 << 20, '=') + wxS("A");
  for (const bool download : {false, true}) {
    Start(wxString(FixturePath("airport-three-stations.dat")));
    loader->SetSleep(60000);  // a minute after every piece: only the stop or the abandon ends it
    loader->HandOver().Request({wxString(), broken, broken});
    ASSERT_TRUE(DeliverUntil([&] { return loader->HandOver().IsBusy(); }));
    if (download) {
      loader->HandOver().Abandon();
      EXPECT_TRUE(DeliverUntil([&] { return !loader->HandOver().IsBusy(); }, 10s));
      EXPECT_FALSE(loader->HandOver().IsReady());
    }
    const auto took = StopLoader();
    EXPECT_LT(took, 10000ms) << (download ? "after a download" : "a stop");
    Deliver();
    EXPECT_TRUE(sink.lists.empty());
  }
}

// The idle wait for a request is stretched to a minute here: the stop must cut it, not wait it
// out.
TEST_F(InitWeatherTest, AStopWhileIdleEndsItAtOnce) {
  SetPlatformTimeScale(600.0);
  Start();
  std::this_thread::sleep_for(30ms);
  const auto took = StopLoader();
  std::printf("loader stop while idle took %lld ms\n", static_cast<long long>(took.count()));
  EXPECT_LT(took, 20000ms);
}

TEST_F(InitWeatherTest, MissingAirportsAreReportedAndTheSplitStillEnds) {
  Start(wxS("/nonexistent/airport.dat"));
  loader->HandOver().Request(
      {wxS("EDDF 121150Z 27010KT\n"), wxS("TTAA 62121 72201 99019 22856 13007=\n"), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return !sink.lists.empty(); }));
  ASSERT_TRUE(DeliverUntil([&] { return !sink.messages.empty(); }));
  EXPECT_EQ(sink.messages, std::vector<wxString>{"Can not open airport.dat"});
  EXPECT_TRUE(sink.logged.empty());
  EXPECT_TRUE(sink.lists[0].Stations.empty());
  EXPECT_EQ(sink.lists[0].Ttaa.size(), 1u);
  EXPECT_TRUE(loader->HandOver().IsReady());
}

// Refused as a missing one is, and the log is told why.
TEST_F(InitWeatherTest, AirportsOverTheSizeLimitAreRefusedWithALogLine) {
  const std::string folder = testsupport::MakeTempDir("nub-loader");
  const std::string airports = folder + "/airport.dat";
  testsupport::WriteBytes(airports, "EDDF,Frankfurt Main,364,50.0333,8.5706\n");
  std::filesystem::resize_file(airports, 32u * 1024 * 1024 + 1);  // sparse: costs no disk
  Start(wxString::FromUTF8(airports));
  loader->HandOver().Request({wxS("EDDF 121150Z 27010KT\n"), wxString(), wxString()});
  ASSERT_TRUE(DeliverUntil([&] { return !sink.lists.empty() && !sink.messages.empty(); }));
  EXPECT_EQ(sink.messages, std::vector<wxString>{"Can not open airport.dat"});
  EXPECT_EQ(sink.logged,
            std::vector<wxString>{"Error: airport.dat is larger than 32 MB (33554432 bytes), the "
                                  "most a catalogue may hold: not read"});
  EXPECT_TRUE(sink.lists[0].Stations.empty());
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
