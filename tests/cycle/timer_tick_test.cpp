#include "cycle/timer_tick.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "reports/geometry.h"

namespace {

// The main window as the tick sees it, recording what the tick sets off.
struct ScriptedHost : TickHost {
  bool simReady = true;
  bool downloaded = false;
  bool loaderReady = false;
  bool loaderBusy = false;
  bool downloadStartsSplit = true;  // a download that works leaves the loader busy
  double latitude = 50.0;
  double longitude = 8.0;
  std::size_t stations = 500;
  std::vector<std::string> calls;
  std::vector<std::int32_t> countdowns;
  TimerTick* nested = nullptr;  // a tick dispatched inside a download's box
  OptionData nestedOptions;

  bool IsSimReady() override { return simReady; }
  bool HasDownloaded() override { return downloaded; }
  bool IsLoaderReady() override { return loaderReady; }
  bool IsLoaderBusy() override { return loaderBusy; }
  void GetPosition(double& lat, double& lon) override {
    lat = latitude;
    lon = longitude;
  }
  std::size_t StationCount() override { return stations; }
  void Download() override {
    calls.push_back("download");
    downloaded = true;
    loaderReady = false;
    loaderBusy = downloadStartsSplit;
    if (nested != nullptr) nested->Run(*this, nestedOptions);
  }
  void Send() override {
    calls.push_back("send");
    loaderReady = false;
  }
  void SetLoaderSleep(std::uint32_t ms) override { calls.push_back("sleep " + std::to_string(ms)); }
  void ShowCountdown(std::int32_t seconds) override {
    calls.push_back("countdown");
    countdowns.push_back(seconds);
  }
  void ShowNearest() override { calls.push_back("display"); }

  std::string Calls() const {
    std::string all;
    for (const std::string& call : calls) all += (all.empty() ? "" : ",") + call;
    return all;
  }
  std::size_t Count(const std::string& call) const {
    std::size_t n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
  }
};

OptionData Options(std::int32_t weatherupdate = 20, std::int32_t range = 300, bool dwlStartup = false) {
  OptionData options;
  options.Weatherupdate = weatherupdate;
  options.wxRange = range;
  options.DwlStartup = dwlStartup;
  return options;
}

// The latitude that lies the given nautical miles south of 50N 8E; nudged so that the measured
// distance is at most (exact) or more than (beyond) the figure.
double LatitudeNmSouth(double nm, bool beyond) {
  double latitude = 50.0 - Rad2Deg(nm * kKmPerNauticalMile / kEarthRadiusKm);
  while (beyond ? MovementNm(50.0, 8.0, latitude, 8.0) <= nm : MovementNm(50.0, 8.0, latitude, 8.0) > nm) {
    latitude += beyond ? -1e-9 : 1e-9;  // about 0.1 mm
  }
  return latitude;
}

TEST(TimerTick, CountdownShowsFullIntervalDownloadsAtOneAndStartsAgain) {
  ScriptedHost host;
  host.downloadStartsSplit = false;
  TimerTick tick;
  const OptionData options = Options(20);
  for (int i = 0; i < 1201; ++i) tick.Run(host, options);
  ASSERT_EQ(host.countdowns.size(), 1201u);
  EXPECT_EQ(host.countdowns.front(), 1200);
  EXPECT_EQ(host.countdowns[1199], 1);
  EXPECT_EQ(host.countdowns[1200], 1200);
  EXPECT_EQ(host.Count("download"), 1u);
  // The download came on the tick that showed 1.
  std::size_t shown = 0;
  for (const std::string& call : host.calls) {
    if (call == "countdown") ++shown;
    if (call == "download") {
      EXPECT_EQ(shown, 1200u);
    }
  }
}

// Out-of-range intervals from the ini are read as the nearest value the options allow, so the
// countdown never overflows into a download on every tick. The interval's last tick, the one
// that shows 1, downloads, and none before it.
TEST(TimerTick, IntervalOutsideTheOptionsRangeIsReadAsItsNearestEnd) {
  const struct {
    std::int32_t minutes;
    std::int32_t firstShown;
  } cases[] = {
      {20, 1200}, {10, 600},   {100, 6000},       {5, 600},         {0, 600},
      {-7, 600},  {101, 6000}, {INT32_MAX, 6000}, {INT32_MIN, 600},
  };
  for (const auto& c : cases) {
    ScriptedHost host;
    host.downloadStartsSplit = false;
    host.stations = 0;  // no display calls among the counted ones
    TimerTick tick;
    for (int i = 1; i < c.firstShown; ++i) tick.Run(host, Options(c.minutes));
    EXPECT_EQ(host.countdowns.front(), c.firstShown) << c.minutes;
    EXPECT_EQ(host.Count("download"), 0u) << c.minutes;
    tick.Run(host, Options(c.minutes));
    EXPECT_EQ(host.countdowns.back(), 1) << c.minutes;
    EXPECT_EQ(host.calls.back(), "download") << c.minutes;
  }
}

TEST(TimerTick, NothingCountsWhileTheSimulatorIsNotReady) {
  ScriptedHost host;
  host.simReady = false;
  TimerTick tick;
  for (int i = 0; i < 5; ++i) tick.Run(host, Options(20, 300, true));
  EXPECT_EQ(host.Calls(), "");
  EXPECT_EQ(tick.Countdown(), 1200);  // set on the first tick all the same
  EXPECT_EQ(tick.DisplayCounter(), 60);

  host.simReady = true;
  tick.Run(host, Options(20, 300, true));
  EXPECT_EQ(host.Calls(), "download");  // at once; the split then holds the countdown
  host.loaderBusy = false;
  tick.Run(host, Options(20, 300, true));
  EXPECT_EQ(host.Calls(), "download,countdown");  // the start-up download runs once
  EXPECT_EQ(host.countdowns.back(), 1200);
}

TEST(TimerTick, StartupDownloadThatFailsGoesOnToTheCountdown) {
  ScriptedHost host;
  host.downloadStartsSplit = false;
  TimerTick tick;
  tick.Run(host, Options(20, 300, true));
  EXPECT_EQ(host.Calls(), "download,countdown");
}

TEST(TimerTick, ReadyLoaderSendsAndLowersItsPauseWithoutCounting) {
  ScriptedHost host;
  host.loaderReady = true;
  TimerTick tick;
  tick.Run(host, Options());
  EXPECT_EQ(host.Calls(), "send,sleep 5");
  EXPECT_EQ(tick.Countdown(), 1200);
  tick.Run(host, Options());
  EXPECT_EQ(host.Calls(), "send,sleep 5,countdown");
}

TEST(TimerTick, BusyLoaderHoldsTheCountdown) {
  ScriptedHost host;
  host.loaderBusy = true;
  TimerTick tick;
  for (int i = 0; i < 3; ++i) tick.Run(host, Options());
  EXPECT_EQ(host.Calls(), "");
  EXPECT_EQ(tick.Countdown(), 1200);
}

// The movement test measures in nautical miles against the range; values outside the options'
// range are read as its nearest end (a range of 0 would send on every tick of a moving aircraft).
TEST(TimerTick, MovementBeyondTheRangeSendsAndMovesTheReference) {
  const struct {
    std::int32_t range;
    double movedNm;
    bool beyond;
    bool sends;
  } cases[] = {
      {300, 300.0, false, false},  {300, 300.0 + 0.001 / kKmPerNauticalMile, false, true},  // one metre more
      {300, 299.0, true, false},   {0, 10.0, true, false},
      {-5, 199.0, true, false},    {0, 200.0, true, true},
      {5000, 2999.0, true, false}, {5000, 3000.0, true, true},
  };
  for (const auto& c : cases) {
    ScriptedHost host;
    host.downloadStartsSplit = false;
    TimerTick tick;
    tick.Run(host, Options(20, c.range));  // takes the reference at 50N 8E
    host.latitude = LatitudeNmSouth(c.movedNm, c.beyond);
    tick.Run(host, Options(20, c.range));
    EXPECT_EQ(host.Count("send"), c.sends ? 1u : 0u) << c.range << " " << c.movedNm;
    if (!c.sends) continue;
    // The reference is the new position now: a small step from there, farther from the first
    // reference, sends nothing more.
    host.latitude -= 0.1;
    tick.Run(host, Options(20, c.range));
    EXPECT_EQ(host.Count("send"), 1u) << c.range;
  }
}

TEST(TimerTick, SendOfAReadySplitLeavesTheReferenceAlone) {
  ScriptedHost host;
  TimerTick tick;
  tick.Run(host, Options());  // reference at 50N 8E
  host.latitude = LatitudeNmSouth(200.0, true);
  host.loaderReady = true;
  tick.Run(host, Options());  // a send of the split, not of the movement
  tick.Run(host, Options());
  EXPECT_EQ(host.Count("send"), 1u);
  host.latitude = LatitudeNmSouth(301.0, true);
  tick.Run(host, Options());
  EXPECT_EQ(host.Count("send"), 2u);
}

TEST(TimerTick, DisplayEverySixtyCountedTicksWithMoreThanTenStations) {
  const struct {
    std::size_t stations;
    std::size_t displays;
  } cases[] = {{11, 2}, {500, 2}, {10, 0}, {0, 0}};
  for (const auto& c : cases) {
    ScriptedHost host;
    host.stations = c.stations;
    TimerTick tick;
    for (int i = 0; i < 120; ++i) tick.Run(host, Options());
    EXPECT_EQ(host.Count("display"), c.displays) << c.stations;
    if (c.displays == 0) {
      EXPECT_EQ(tick.DisplayCounter(), -60) << "keeps falling";
    }
  }
}

TEST(TimerTick, TickWhileABlockingStepRunsDoesNothing) {
  ScriptedHost host;
  host.loaderReady = true;
  TimerTick tick;
  {
    TimerTick::Hold hold(tick);  // a box of a menu item, the update check
    tick.Run(host, Options());
    EXPECT_EQ(host.Calls(), "");
  }
  tick.Run(host, Options());
  EXPECT_EQ(host.Calls(), "send,sleep 5");
}

// The library dispatches timer events inside the download's boxes: a tick there must not start a
// second download that would clear the lists the first one fills.
TEST(TimerTick, TickInsideTheTicksOwnDownloadDoesNothing) {
  ScriptedHost host;
  host.downloadStartsSplit = false;
  TimerTick tick;
  host.nested = &tick;
  host.nestedOptions = Options(10, 300, true);
  tick.Run(host, Options(10, 300, true));
  EXPECT_EQ(host.Calls(), "download,countdown");
  EXPECT_FALSE(tick.Held());
}

}  // namespace
