#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/test_paths.h"
#include "link_test_env.h"
#include "simlink/fsuipc.h"

extern char** environ;

namespace {

constexpr int kStartWaitMs = 10000;
constexpr int kStopWaitMs = 10000;

// The stand-in as a separate process, in this test's runtime directory; its standard output is
// collected until it ends.
class StubProgram {
 public:
  bool Start(std::vector<std::string> options) {
    int pipeFds[2];
    int inputFds[2];
    if (pipe(pipeFds) != 0) return false;
    if (pipe(inputFds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, inputFds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, inputFds[1]);
    options.insert(options.begin(), NUB_SIMSTUB_PROGRAM);
    std::vector<char*> argv;
    for (std::string& option : options) argv.push_back(option.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, NUB_SIMSTUB_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    close(inputFds[0]);
    out_ = pipeFds[0];
    in_ = inputFds[1];
    return spawned == 0 && WaitFor("\"kind\":\"ready\"", kStartWaitMs);
  }

  // Stops it with SIGTERM (SIGKILL when it does not end in time); returns its exit status.
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    WaitFor("\"kind\":\"stopped\"", kStopWaitMs);
    int status = 0;
    for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
      if (waited > kStopWaitMs) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ~StubProgram() {
    Stop();
    if (out_ >= 0) close(out_);
    if (in_ >= 0) close(in_);
  }

  const std::string& Output() const { return output_; }

  // One command line on the program's standard input; true once its answer has come.
  bool Command(const std::string& line, bool ok) {
    const std::string sent = line + "\n";
    if (write(in_, sent.data(), sent.size()) != static_cast<ssize_t>(sent.size())) return false;
    return WaitFor("{\"kind\":\"input\",\"line\":\"" + line + "\",\"ok\":" + (ok ? "true" : "false") + "}",
                   kStartWaitMs);
  }

 private:
  bool WaitFor(const std::string& text, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (output_.find(text) == std::string::npos) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count();
      pollfd watched{out_, POLLIN, 0};
      if (left <= 0 || poll(&watched, 1, static_cast<int>(left)) <= 0) return false;
      char chunk[4096];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return false;
      output_.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int in_ = -1;
  std::string output_;
};

TEST_F(LinkTest, ProgramPlaysTheModuleFromAnotherProcess) {
  const std::string record = Dir() + "/received.jsonl";
  StubProgram program;
  ASSERT_TRUE(program.Start({"--windows", "fs98", "--module-version", "41000000", "--sim-version", "FADE0008",
                             "--lat", "52.5", "--lon", "-13.25", "--offset-333e", "1", "--record", record}));
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  std::string version;
  link.GetVersionText(&version);
  EXPECT_EQ(version, "FSX - FSUIPC-Ver: 4.100");
  double position[2] = {0, 0};
  EXPECT_EQ(link.ReadPosition(position), kFsuipcOk);
  EXPECT_NEAR(position[0], 52.5, 1e-9);
  EXPECT_NEAR(position[1], -13.25, 1e-9);
  EXPECT_EQ(link.ReadOffset333E(), 1);
  bool ready = false;
  EXPECT_EQ(link.GetReadyToFly(&ready), kFsuipcOk);
  EXPECT_TRUE(ready);
  NewWeather weather;
  ClearNewWeather(&weather);
  weather.Command = kWeatherCommandReportRecord;
  std::memcpy(weather.Icao, "EDDB", 4);
  const std::uint32_t ack = link.ReadWeatherAck();
  EXPECT_EQ(link.WriteNewWeather(&weather), kFsuipcOk);
  EXPECT_NE(link.ReadWeatherAck(), ack);
  EXPECT_EQ(link.WriteWeatherCommand(kWeatherCommandClose), kFsuipcOk);
  link.Close();
  EXPECT_EQ(program.Stop(), 0);

  const std::string command = "{\"kind\":\"command\",\"offset\":51200,\"size\":2,\"value\":256}";
  const std::string recordStart =
      "{\"kind\":\"record\",\"offset\":51200,\"size\":1024,\"value\":257,\"icao\":\"EDDB\"";
  for (const std::string& text : {program.Output(), testsupport::ReadBytes(record)}) {
    EXPECT_NE(text.find(recordStart), std::string::npos);
    EXPECT_NE(text.find(command), std::string::npos);
    EXPECT_LT(text.find(recordStart), text.find(command));
  }
}

TEST_F(LinkTest, ProgramThatEndsLeavesTheLinkWithCodeTwelve) {
  StubProgram program;
  ASSERT_TRUE(program.Start({"--quiet"}));
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  EXPECT_EQ(program.Stop(), 0);
  EXPECT_EQ(link.WriteWeatherCommand(kWeatherCommandClearAll), kFsuipcSendFailed);
  EXPECT_EQ(link.Open(&connected), kFsuipcAlreadyOpen);
  link.Close();
  EXPECT_EQ(link.Open(&connected), kFsuipcNoWindow);
}

// A script moves the aircraft and changes the simulator's state while the program runs.
TEST_F(LinkTest, ProgramTakesCommandsOnItsInput) {
  StubProgram program;
  ASSERT_TRUE(program.Start({"--quiet", "--lat", "1", "--lon", "2"}));
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);

  ASSERT_TRUE(program.Command("position 50.0333 -8.5705", true));
  double position[2] = {0, 0};
  EXPECT_EQ(link.ReadPosition(position), kFsuipcOk);
  EXPECT_NEAR(position[0], 50.0333, 1e-9);
  EXPECT_NEAR(position[1], -8.5705, 1e-9);

  bool ready = true;
  ASSERT_TRUE(program.Command("ready 0", true));
  EXPECT_EQ(link.GetReadyToFly(&ready), kFsuipcOk);
  EXPECT_FALSE(ready);
  ASSERT_TRUE(program.Command("ready 1", true));
  EXPECT_EQ(link.GetReadyToFly(&ready), kFsuipcOk);
  EXPECT_TRUE(ready);

  NewWeather weather;
  ClearNewWeather(&weather);
  weather.Command = kWeatherCommandReportRecord;
  ASSERT_TRUE(program.Command("ack off", true));
  std::uint32_t ack = link.ReadWeatherAck();
  EXPECT_EQ(link.WriteNewWeather(&weather), kFsuipcOk);
  EXPECT_EQ(link.ReadWeatherAck(), ack);
  ASSERT_TRUE(program.Command("ack on", true));
  EXPECT_EQ(link.WriteNewWeather(&weather), kFsuipcOk);
  EXPECT_NE(link.ReadWeatherAck(), ack);

  for (const char* wrong :
       {"position 91 0", "position 50", "position 50 8 9", "ready 2", "ack maybe", "fly", ""}) {
    EXPECT_TRUE(program.Command(wrong, false)) << wrong;
  }
  EXPECT_EQ(link.ReadPosition(position), kFsuipcOk);
  EXPECT_NEAR(position[0], 50.0333, 1e-9);  // nothing changed
  link.Close();
  EXPECT_EQ(program.Stop(), 0);
}

TEST_F(LinkTest, ProgramHelpListsItsCommands) {
  StubProgram program;
  EXPECT_FALSE(program.Start({"--help"}));
  program.Stop();
  for (const char* command : {"position LAT LON", "ready 0|1", "ack on|off"}) {
    EXPECT_NE(program.Output().find(command), std::string::npos) << command;
  }
}

TEST_F(LinkTest, ProgramRefusesUnknownOptions) {
  StubProgram program;
  EXPECT_FALSE(program.Start({"--windows", "sideways"}));
  EXPECT_EQ(program.Stop(), 2);
}

}  // namespace
