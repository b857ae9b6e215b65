#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "common/test_paths.h"
#include "peers/child_process.h"
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

TEST_F(ProgramRun, SigtermAndSigintCloseThroughTheNormalShutDown) {
  for (int signal : {SIGTERM, SIGINT}) {
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

}  // namespace
