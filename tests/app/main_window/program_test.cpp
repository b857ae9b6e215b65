#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/test_paths.h"
#include "peers/child_process.h"

namespace {

using testsupport::ReadBytes;

// The program itself, started in a fresh working folder with its catalogues, as a user starts it.
class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    using testsupport::CataloguePath;
    testsupport::WriteBytes("station.dat", ReadBytes(CataloguePath("station.dat")));
    testsupport::WriteBytes("airport.dat", ReadBytes(CataloguePath("airport.dat")));
    ::setenv("NUBIVANE_IPC_DIR", dir.Path().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("NUBIVANE_IPC_DIR"); }

  // Waits until the start-up has run to its end (the timer line comes only at shut-down, so the
  // version line and the window's ini state tell it); false after the bound.
  static bool WaitForStartUp(std::chrono::seconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < end) {
      if (ReadBytes("nubivane.log").find("Program Version: ") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  testsupport::ScopedWorkDir dir;
};

TEST_F(ProgramRun, SigtermAndSigintCloseThroughTheNormalShutDown) {
  const int signals[] = {SIGTERM, SIGINT};
  for (int signal : signals) {
    std::remove("nubivane.log");
    std::remove("Nubivane.ini");
    testpeers::ChildProcess program({NUB_PROGRAM});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitForStartUp(std::chrono::seconds(60)));
    // The rest of the start-up (the catalogues) and the event loop's start: the time measured
    // below is the shut-down's alone.
    std::this_thread::sleep_for(std::chrono::seconds(3));

    const auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(program.Signal(signal));
    int status = 0;
    ASSERT_TRUE(program.WaitExit(20000, &status)) << "signal " << signal;
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked);
    std::printf("shut-down on signal %d took %lld ms\n", signal, static_cast<long long>(took.count()));
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " ended it by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The figure is printed; the bound here only catches a shut-down that hangs.
    EXPECT_LT(took, std::chrono::seconds(10)) << "signal " << signal;

    const std::string log = ReadBytes("nubivane.log");
    EXPECT_NE(log.find("InitWeather: deleting thread"), std::string::npos);
    EXPECT_NE(log.find("FSUIPC: deleting thread"), std::string::npos);
    const std::string closeLine = " - Main: Nubivane Close\r\n";
    ASSERT_GE(log.size(), closeLine.size());
    EXPECT_EQ(log.substr(log.size() - closeLine.size()), closeLine) << log;
    EXPECT_NE(ReadBytes("Nubivane.ini").find("FrameSizeX="), std::string::npos);
  }
}

}  // namespace
