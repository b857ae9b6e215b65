#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "sim_stub.h"
#include "simlink/fsuipc_worker.h"
#include "weather_test_env.h"

namespace {

using apptest::SettleUntil;

class WeatherWriter : public apptest::WeatherTest {
 protected:
  std::vector<std::uint32_t> Commands(const SimStub& stub) const {
    std::vector<std::uint32_t> commands;
    for (const SimStubEvent& e : stub.Events()) {
      if (e.kind == "command") commands.push_back(e.value);
    }
    return commands;
  }

  long long CloseTimed() {
    const auto start = std::chrono::steady_clock::now();
    Close();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
  }
};

TEST_F(WeatherWriter, WithoutASimulatorStatusFieldTwoSaysSo) {
  PutCatalogues();
  Open();
  ASSERT_TRUE(SettleUntil([&] { return window->StatusBar->GetStatusText(2) == "not connected"; }));
  EXPECT_EQ(window->Writer->State(), kWriterConnect);
  EXPECT_FALSE(window->Writer->IsSimReady());
  std::printf("main window shut-down while connecting took %lld ms\n", CloseTimed());
}

TEST_F(WeatherWriter, ConnectsShowsTheVersionAndClearsTheWeatherOnce) {
  PutCatalogues();
  SimStubScript script;
  script.latitude = 52.3800;  // EDDB
  script.longitude = 13.5225;
  script.readyFlag = 0;
  script.offset333E = 0;
  SimStub stub(script);
  ASSERT_TRUE(stub.Start());
  Open();
  ASSERT_TRUE(
      SettleUntil([&] { return window->StatusBar->GetStatusText(2) == "FS2004 - FSUIPC-Ver: 3.650"; }));
  ASSERT_TRUE(SettleUntil([&] { return Commands(stub).size() >= 2u; }));
  EXPECT_EQ(Commands(stub), (std::vector<std::uint32_t>{4, 3}));  // cleared once, first ready
  EXPECT_EQ(window->Writer->State(), kWriterConnected);
  EXPECT_TRUE(window->Writer->IsSimReady());
  double latitude = 0.0;
  double longitude = 0.0;
  window->Writer->GetPosition(latitude, longitude);
  EXPECT_NEAR(latitude, 52.38, 1e-4);
  EXPECT_NEAR(longitude, 13.5225, 1e-4);
  std::printf("main window shut-down while polling took %lld ms\n", CloseTimed());
  EXPECT_EQ(Commands(stub), (std::vector<std::uint32_t>{4, 3}));  // nothing written on the way out
}

// A module that never answers holds an exchange for seconds; the window still goes at once.
TEST_F(WeatherWriter, ASilentSimulatorDoesNotHoldTheShutDown) {
  PutCatalogues();
  SimStubScript script;
  script.silentReplies = -1;
  SimStub stub(script);
  ASSERT_TRUE(stub.Start());
  Open();
  ASSERT_TRUE(SettleUntil([&] { return stub.MessagesReceived() > 0u; }));
  const long long took = CloseTimed();
  std::printf("main window shut-down with a silent simulator took %lld ms\n", took);
  EXPECT_LT(took, 10000);  // the figure is printed; the bound only catches a hang
}

}  // namespace
