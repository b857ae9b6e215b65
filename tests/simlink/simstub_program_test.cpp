#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "link_test_env.h"
#include "peers/child_process.h"
#include "simlink/fsuipc.h"

namespace {

constexpr int kStartWaitMs = 10000;
constexpr int kStopWaitMs = 10000;

// The stand-in as a separate process, in this test's runtime directory; its standard output is
// collected until it ends.
class StubProgram {
 public:
  bool Start(std::vector<std::string> options) {
    options.insert(options.begin(), NUB_SIMSTUB_PROGRAM);
    process_ = std::make_unique<testpeers::ChildProcess>(options);
    return process_->Started() && WaitFor("\"kind\":\"ready\"", kStartWaitMs);
  }

  // Asks it to stop as SIGTERM or Ctrl+C would (kills it when it does not end in time); returns
  // its exit code.
  int Stop() {
    if (!process_) return -1;
    const int code = process_->Stop(kStopWaitMs);
    std::string rest;
    process_->ReadToEnd(rest, kStopWaitMs);
    output_ += rest;
    process_.reset();
    return code;
  }

  ~StubProgram() { Stop(); }

  const std::string& Output() const { return output_; }

  // One command line on the program's standard input; true once its answer has come.
  bool Command(const std::string& line, bool ok) {
    if (!process_ || !process_->WriteInput(line + "\n")) return false;
    return WaitFor("{\"kind\":\"input\",\"line\":\"" + line + "\",\"ok\":" + (ok ? "true" : "false") + "}",
                   kStartWaitMs);
  }

 private:
  bool WaitFor(const std::string& text, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::string line;
    while (output_.find(text) == std::string::npos) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count();
      if (left <= 0 || !process_->ReadLine(line, static_cast<int>(left))) return false;
      output_ += line + "\n";
    }
    return true;
  }

  std::unique_ptr<testpeers::ChildProcess> process_;
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

  // A module that takes its time: the word changes at the second read after the record.
  ASSERT_TRUE(program.Command("ack delay 2", true));
  ack = link.ReadWeatherAck();
  EXPECT_EQ(link.WriteNewWeather(&weather), kFsuipcOk);
  EXPECT_EQ(link.ReadWeatherAck(), ack);
  EXPECT_EQ(link.ReadWeatherAck(), ack + 1);
  EXPECT_EQ(link.ReadWeatherAck(), ack + 1);
  ASSERT_TRUE(program.Command("ack delay 0", true));
  EXPECT_EQ(link.WriteNewWeather(&weather), kFsuipcOk);
  EXPECT_EQ(link.ReadWeatherAck(), ack + 2);

  for (const char* wrong : {"position 91 0", "position 50", "position 50 8 9", "ready 2", "ack maybe",
                            "ack delay", "ack delay -1", "ack delay 2 3", "fly", ""}) {
    EXPECT_TRUE(program.Command(wrong, false)) << wrong;
  }
  EXPECT_EQ(link.ReadPosition(position), kFsuipcOk);
  EXPECT_NEAR(position[0], 50.0333, 1e-9);  // nothing changed
  link.Close();
  EXPECT_EQ(program.Stop(), 0);
}

// One word, one meaning: the option starts the simulator in the state the command puts it in.
TEST_F(LinkTest, ProgramReadyOptionMeansWhatTheReadyCommandMeans) {
  const struct {
    const char* word;
    const char* other;
    bool ready;
  } cases[] = {{"1", "0", true}, {"0", "1", false}};
  for (const auto& c : cases) {
    StubProgram program;
    ASSERT_TRUE(program.Start({"--quiet", "--ready", c.word})) << c.word;
    FSUIPC link;
    bool connected = false;
    ASSERT_EQ(link.Open(&connected), kFsuipcOk);
    bool ready = !c.ready;
    EXPECT_EQ(link.GetReadyToFly(&ready), kFsuipcOk);
    EXPECT_EQ(ready, c.ready) << "--ready " << c.word;
    ASSERT_TRUE(program.Command(std::string("ready ") + c.other, true));
    ASSERT_TRUE(program.Command(std::string("ready ") + c.word, true));
    ready = !c.ready;
    EXPECT_EQ(link.GetReadyToFly(&ready), kFsuipcOk);
    EXPECT_EQ(ready, c.ready) << "ready " << c.word;
    link.Close();
    EXPECT_EQ(program.Stop(), 0);
  }
}

#ifndef _WIN32
// A folder others can write in is refused before anything is made in it, with the reason.
TEST_F(LinkTest, ProgramRefusesAFolderOthersCanWriteIn) {
  ASSERT_EQ(::chmod(Dir().c_str(), 0777), 0);
  // Also when it is to register no window there.
  for (const char* options : {"--quiet", "--quiet --windows none"}) {
    testpeers::ChildProcess program(
        {"/bin/sh", "-c", std::string("exec '") + NUB_SIMSTUB_PROGRAM + "' " + options + " 2>&1"});
    ASSERT_TRUE(program.Started());
    std::string output;
    EXPECT_TRUE(program.ReadToEnd(output, kStopWaitMs)) << options;
    EXPECT_EQ(program.Wait(kStopWaitMs), 2) << options;
    EXPECT_EQ(output, "nubivane-simstub: the IPC folder " + Dir() +
                          " is refused: other users may write in it (mode 0777)\n")
        << options;
    EXPECT_TRUE(std::filesystem::is_empty(Dir())) << options;
  }
}
#endif

TEST_F(LinkTest, ProgramHelpListsItsCommands) {
  StubProgram program;
  EXPECT_FALSE(program.Start({"--help"}));
  program.Stop();
  for (const char* command :
       {"position LAT LON", "ready 0|1", "ack on|off", "ack delay N", "--ready 0|1", "--ack-delay N"}) {
    EXPECT_NE(program.Output().find(command), std::string::npos) << command;
  }
}

TEST_F(LinkTest, ProgramRefusesUnknownOptions) {
  // The ready byte takes the command's two words only, not the raw byte it once took.
  const std::vector<std::vector<std::string>> refused = {
      {"--windows", "sideways"}, {"--ready", "2"},      {"--ready", "yes"}, {"--ready", ""},
      {"--ack-delay", "-1"},     {"--ack-delay", "2x"}, {"--ack-delay", ""}};
  for (const auto& options : refused) {
    StubProgram program;
    EXPECT_FALSE(program.Start(options)) << options[0] << " " << options[1];
    EXPECT_EQ(program.Stop(), 2) << options[0] << " " << options[1];
  }
}

}  // namespace
