#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "common/test_paths.h"
#include "peers/child_process.h"
#include "peers/http_peer.h"
#include "sim_stub.h"

namespace {

using testsupport::ReadBytes;

// The program itself, started in a fresh working folder with its catalogues, as a user starts it,
// beside the simulator stand-in.
class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    using testsupport::CataloguePath;
    testsupport::WriteBytes("station.dat", ReadBytes(CataloguePath("station.dat")));
    testsupport::WriteBytes("airport.dat", ReadBytes(CataloguePath("airport.dat")));
    ::setenv("NUBIVANE_IPC_DIR", dir.Path().c_str(), 1);
    SimStubScript script;
    script.readyFlag = 0;
    stub = std::make_unique<SimStub>(script);
    ASSERT_TRUE(stub->Start());
  }
  void TearDown() override {
    stub.reset();
    ::unsetenv("NUBIVANE_IPC_DIR");
  }

  // The writer has connected and cleared the stand-in's weather: the start-up is over and the
  // event loop runs. False after the bound.
  bool WaitUntilWeatherCleared(std::chrono::seconds bound) const {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < end) {
      int commands = 0;
      for (const SimStubEvent& e : stub->Events()) commands += e.kind == "command" ? 1 : 0;
      if (commands >= 2) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // Sends the signal and waits for the program to end; the time it took, or -1.
  static long long Stop(testpeers::ChildProcess& program, int signal, int* status) {
    const auto asked = std::chrono::steady_clock::now();
    if (!program.Signal(signal) || !program.WaitExit(20000, status)) return -1;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked)
        .count();
  }

  testsupport::ScopedWorkDir dir;
  std::unique_ptr<SimStub> stub;
};

// SIGHUP too: it comes when the terminal that started the program closes.
TEST_F(ProgramRun, SigtermSigintAndSighupCloseThroughTheNormalShutDown) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    std::remove("nubivane.log");
    std::remove("Nubivane.ini");
    stub = std::make_unique<SimStub>(SimStubScript{});
    ASSERT_TRUE(stub->Start());
    testpeers::ChildProcess program({NUB_PROGRAM});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitUntilWeatherCleared(std::chrono::seconds(60)));

    int status = 0;
    const long long took = Stop(program, signal, &status);
    ASSERT_GE(took, 0) << "signal " << signal;
    std::printf("shut-down on signal %d, the writer polling, took %lld ms\n", signal, took);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " ended it by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(took, 10000) << "signal " << signal;  // the figure is printed; the bound catches a hang

    const std::string log = ReadBytes("nubivane.log");
    EXPECT_NE(log.find("InitWeather: deleting thread"), std::string::npos);
    EXPECT_NE(log.find("FSUIPC: deleting thread"), std::string::npos);
    const std::string closeLine = " - Main: Nubivane Close\r\n";
    ASSERT_GE(log.size(), closeLine.size());
    EXPECT_EQ(log.substr(log.size() - closeLine.size()), closeLine) << log;
    EXPECT_NE(ReadBytes("Nubivane.ini").find("FrameSizeX="), std::string::npos);
  }
}

// Whether a window whose title ends so stands on the display, as the X server lists it.
bool WindowStands(const std::string& titleEnd) {
  std::FILE* list = ::popen("xwininfo -root -tree 2>/dev/null", "r");
  if (list == nullptr) return false;
  std::string text;
  char piece[4096];
  for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, list)) > 0;) text.append(piece, n);
  ::pclose(list);
  return text.find(titleEnd + "\": (") != std::string::npos;
}

bool WaitForWindow(const std::string& title, std::chrono::seconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    if (WindowStands(title)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// A real box of the program stands, nothing answers it, and a signal comes: the box ends as its
// Cancel would and the program ends by the normal shut-down.
TEST_F(ProgramRun, ASignalWhileABoxStandsEndsTheBoxAndTheProgram) {
  testpeers::HttpPeer updateHost({});  // every request fails: the update check's box comes
  struct Case {
    const char* what;
    const char* previousLog;  // nullptr: a clean previous run
    const char* ini;
    const char* box;
  };
  const Case cases[] = {
      {"report offer", "1 - Nubivane Start\r\n", "", "Debug"},
      {"update check at start-up", nullptr, "CheckUpdateStartup=1\n", "ERROR"},
  };
  const std::string geometry = "FramePosX=300\nFramePosY=200\nFrameSizeX=900\nFrameSizeY=600\n";
  for (const Case& c : cases) {
    testsupport::WriteBytes("nubivane.log",
                            c.previousLog != nullptr ? c.previousLog : "1 - Main: Nubivane Close\r\n");
    testsupport::WriteBytes("Nubivane.ini", "[General]\n" + geometry + c.ini);
    testsupport::SetEnvironment("NUBIVANE_UPDATE_HOST", updateHost.BaseUrl());
    testpeers::ChildProcess program({NUB_PROGRAM});
    testsupport::UnsetEnvironment("NUBIVANE_UPDATE_HOST");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitForWindow(std::string("\"") + c.box, std::chrono::seconds(60))) << c.what;
    int status = 0;
    const long long took = Stop(program, SIGTERM, &status);
    ASSERT_GE(took, 0) << c.what << ": the program still ran";
    std::printf("SIGTERM with the %s box open: the program ended %lld ms after it\n", c.what, took);
    ASSERT_TRUE(WIFEXITED(status)) << c.what << ": ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << c.what;
    const std::string log = ReadBytes("nubivane.log");
    const std::string closeLine = " - Main: Nubivane Close\r\n";
    ASSERT_GE(log.size(), closeLine.size()) << c.what;
    EXPECT_EQ(log.substr(log.size() - closeLine.size()), closeLine) << c.what << ": " << log;
    // The frame never moved: it is stored as it was placed, without the window manager's frame
    // that it got while it was going.
    std::string ini = ReadBytes("Nubivane.ini");
    ini.erase(std::remove(ini.begin(), ini.end(), '\r'), ini.end());
    for (const char* key : {"FramePosX=300\n", "FramePosY=200\n", "FrameSizeX=900\n", "FrameSizeY=600\n"}) {
      EXPECT_NE(ini.find(key), std::string::npos) << c.what << ": " << key << " in\n" << ini;
    }
  }
}

// No "station.dat": the run's log says so, no box of the library's stands, and a signal ends it.
TEST_F(ProgramRun, WithoutStationDatTheLogSaysItAndNoBoxStands) {
  std::remove("station.dat");
  testpeers::ChildProcess program({NUB_PROGRAM});
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(WaitUntilWeatherCleared(std::chrono::seconds(60)));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // a box at idle would stand by now
  EXPECT_FALSE(WindowStands(" Error")) << "the library's own box";
  int status = 0;
  const long long took = Stop(program, SIGTERM, &status);
  ASSERT_GE(took, 0);
  std::printf("SIGTERM without station.dat: the program ended %lld ms after it\n", took);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string log = ReadBytes("nubivane.log");
  EXPECT_NE(log.find("InitWeather: Can't read station.dat"), std::string::npos) << log;
  const std::string closeLine = " - Main: Nubivane Close\r\n";
  ASSERT_GE(log.size(), closeLine.size());
  EXPECT_EQ(log.substr(log.size() - closeLine.size()), closeLine) << log;
}

}  // namespace
