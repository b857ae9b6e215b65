#include "simlink/writer_machine.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/link_cancel.h"
#include "writer_test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kVersionFs2004 = "status FS2004 - FSUIPC-Ver: 3.650";
const std::string kNotConnected = "status not connected";
const std::string kBadData = "status IPC request contains bad data";

// What a send of EDDB, EDDT and EDDH shows up to its second record, then the rest.
Lines FirstTwoOfThreeThen(const Lines& rest) {
  Lines lines = {"label Send Station to FS",
                 "gauge 3/0",
                 "gauge shown",
                 "gauge 3/1",
                 "label Send Station EDDB, 1 from 3",
                 "gauge 3/2",
                 "label Send Station EDDT, 2 from 3"};
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

// The machine run pass by pass on the test thread, against the in-process stand-in; the stop
// is bound to this thread as it is to the writer thread.
class WriterMachineTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    bound_ = std::make_unique<ScopedLinkCancel>(&stop_);
  }

  void TearDown() override {
    bound_.reset();
    LinkTest::TearDown();
  }

  // Connected and polled once; the controls of that pass are dropped.
  SimStub& Connect(SimStubScript script = {}) {
    SimStub& stub = StartStub(std::move(script));
    handOver_.StartConnecting();
    machine_.Pass();
    EXPECT_EQ(handOver_.State(), kWriterConnected);
    controls_.TakeLines();
    return stub;
  }

  // One send: the hand-over and the pass that takes it.
  Lines Send(const std::vector<const char*>& icaos) {
    handOver_.Put(RecordsOf(icaos));
    EXPECT_EQ(handOver_.State(), kWriterSend);
    machine_.Pass();
    return controls_.TakeLines();
  }

  // The pauses the action asks for, in milliseconds, in their order.
  std::vector<std::uint32_t> PausesOf(const std::function<void()>& action) {
    std::vector<std::uint32_t> pauses;
    machine_.ObservePauses([&pauses](std::uint32_t ms) { pauses.push_back(ms); });
    action();
    machine_.ObservePauses(nullptr);
    return pauses;
  }

  LinkCancel stop_;
  WriterHandOver handOver_;
  PollSnapshot poll_;
  FSUIPC link_;
  ControlRecorder controls_;
  WriterMachine machine_{link_, handOver_, poll_, stop_, controls_.Box(), &controls_};

 private:
  std::unique_ptr<ScopedLinkCancel> bound_;
};

TEST_F(WriterMachineTest, IdleDoesNothingAndNoSimulatorIsRetriedEverySecond) {
  machine_.Pass();
  EXPECT_EQ(handOver_.State(), kWriterIdle);
  EXPECT_EQ(controls_.TakeLines(), Lines{});

  handOver_.StartConnecting();
  machine_.Pass();
  machine_.Pass();
  EXPECT_EQ(controls_.TakeLines(), (Lines{kNotConnected, kNotConnected}));
  EXPECT_EQ(handOver_.State(), kWriterConnect);
  EXPECT_FALSE(poll_.Read().simReady);
  EXPECT_EQ(machine_.LastError(), "not connected");
}

#ifndef _WIN32
// Another user's folder, or one others can write in, is no simulator: the writer neither talks
// to whoever answers there nor makes its files there, and the log says why, once.
TEST_F(WriterMachineTest, RefusedFolderReadsAsNotConnectedAndIsLoggedOnce) {
  SimStub& stub = StartStub();
  ASSERT_EQ(::chmod(Dir().c_str(), 0777), 0);
  handOver_.StartConnecting();
  machine_.Pass();
  machine_.Pass();
  const std::string logged =
      "log Error: FSUIPC - the IPC folder " + Dir() + " is refused: other users may write in it (mode 0777)";
  EXPECT_EQ(controls_.TakeLines(), (Lines{kNotConnected, logged, kNotConnected}));
  EXPECT_EQ(stub.MessagesReceived(), 0u);

  ASSERT_EQ(::chmod(Dir().c_str(), 0700), 0);
  machine_.Pass();
  EXPECT_EQ(controls_.TakeLines(), Lines{kVersionFs2004});
  EXPECT_EQ(handOver_.State(), kWriterConnected);
}
#endif

struct VersionCase {
  std::uint32_t moduleVersion;
  std::uint32_t simVersion;
  const char* status;
};

TEST_F(WriterMachineTest, ConnectShowsTheVersionAndPollsInTheSamePass) {
  const VersionCase cases[] = {
      {0x36500000, 0xFADE0007, "status FS2004 - FSUIPC-Ver: 3.650"},
      {0x41000000, 0xFADE0008, "status FSX - FSUIPC-Ver: 4.100"},
  };
  for (const VersionCase& c : cases) {
    SimStubScript script;
    script.moduleVersion = c.moduleVersion;
    script.simVersion = c.simVersion;
    script.latitude = 52.38;
    script.longitude = 13.52;
    StartStub(script);
    handOver_.StartConnecting();
    machine_.Pass();
    EXPECT_EQ(controls_.TakeLines(), Lines{c.status});
    EXPECT_EQ(handOver_.State(), kWriterConnected);
    const PollResult poll = poll_.Read();
    EXPECT_TRUE(poll.simReady);
    EXPECT_NEAR(poll.latitude, 52.38, 1e-9);
    EXPECT_NEAR(poll.longitude, 13.52, 1e-9);
    EXPECT_EQ(machine_.LastError(), "Okay");
    link_.Close();
    handOver_.LinkLost();
  }
}

struct ClearingCase {
  std::uint16_t offset333E;
  Lines commands;
};

// The clearing happens once per life of the writer: not at the next poll, not after a reconnect.
TEST_F(WriterMachineTest, FirstReadyClearsTheWeatherBelowTwoAndNeverAgain) {
  const ClearingCase cases[] = {
      {0, {Command(4), Command(3)}},
      {1, {Command(4), Command(3)}},
      {2, {}},
      {0xFFFF, {}},
  };
  for (const ClearingCase& c : cases) {
    LinkCancel stop;
    WriterHandOver handOver;
    WriterMachine machine(link_, handOver, poll_, stop, controls_.Box(), &controls_);
    SimStubScript script;
    script.offset333E = c.offset333E;
    StartStub(script);
    handOver.StartConnecting();
    machine.Pass();
    machine.Pass();
    EXPECT_EQ(StubEvents(*stub_, "command"), c.commands) << c.offset333E;
    EXPECT_TRUE(machine.FirstReadyDone());

    StopStub();
    machine.Pass();  // the poll fails: back to connect
    EXPECT_EQ(handOver.State(), kWriterConnect);
    StartStub(script);
    machine.Pass();
    EXPECT_EQ(handOver.State(), kWriterConnected);
    EXPECT_EQ(StubEvents(*stub_, "command"), Lines{}) << c.offset333E;
    link_.Close();
  }
}

TEST_F(WriterMachineTest, ClearingWaitsForTheFirstPollThatFindsTheSimulatorReady) {
  SimStubScript script;
  script.readyFlag = 1;
  SimStub& stub = Connect(script);
  machine_.Pass();
  EXPECT_EQ(StubEvents(stub, "command"), Lines{});
  EXPECT_FALSE(machine_.FirstReadyDone());
  EXPECT_FALSE(poll_.Read().simReady);
  stub.SetReadyFlag(0);
  machine_.Pass();
  EXPECT_EQ(StubEvents(stub, "command"), (Lines{Command(4), Command(3)}));
  EXPECT_TRUE(poll_.Read().simReady);
}

TEST_F(WriterMachineTest, WindSmoothingIsSetAtConnectAndRefreshedAtEveryPoll) {
  const std::string on = std::to_string(0x3127) + "=255";
  const std::string first = std::to_string(0x3128) + "=264";
  const std::string second = std::to_string(0x312C) + "=264";
  handOver_.SetOptions(WriterOptions{true});
  SimStub& stub = Connect();
  EXPECT_EQ(StubEvents(stub, "wind_smoothing"), (Lines{on, first, second, on}));
  machine_.Pass();
  EXPECT_EQ(StubEvents(stub, "wind_smoothing"), (Lines{on, first, second, on, on}));

  handOver_.SetOptions(WriterOptions{false});
  machine_.Pass();
  EXPECT_EQ(StubEvents(stub, "wind_smoothing").size(), 5u);
  link_.Close();
  handOver_.LinkLost();
  SimStub& without = Connect();
  machine_.Pass();
  EXPECT_EQ(StubEvents(without, "wind_smoothing"), Lines{});
}

struct PauseCase {
  const char* what;
  std::function<void()> before;
  std::function<void()> action;
  std::vector<std::uint32_t> pauses;
};

// What the writer waits, pass by pass: a second between connects and between polls, 50 ms
// after every record (also one that is skipped because the simulator is not ready) and 5 s
// before the closing command. The lengths asked for, not the time taken.
TEST_F(WriterMachineTest, EveryPassWaitsWhatItsStepNeeds) {
  SimStubScript notReady;
  notReady.readyFlag = 1;
  const auto nothing = [] {};
  const auto connect = [this] { handOver_.StartConnecting(); };
  const auto pass = [this] { machine_.Pass(); };
  const auto sendThree = [this] { Send({"EDDB", "EDDT", "EDDH"}); };
  const PauseCase cases[] = {
      {"idle", nothing, pass, {10}},
      {"no simulator", connect, pass, {1000}},
      {"connect, then the first poll",
       [&] {
         StartStub();
         connect();
       },
       pass,
       {1000, 1000}},
      {"poll", [this] { Connect(); }, pass, {1000}},
      // Each record: one look at the acknowledgement (the stand-in answers at once), then 50 ms.
      {"three records", [this] { Connect(); }, sendThree, {50, 50, 50, 50, 50, 50, 5000}},
      {"three records, simulator not ready", [&] { Connect(notReady); }, sendThree, {50, 50, 50, 5000}},
  };
  for (const PauseCase& c : cases) {
    c.before();
    EXPECT_EQ(PausesOf(c.action), c.pauses) << c.what;
    link_.Close();
    handOver_.LinkLost();
    StopStub();
  }
}

// The warning comes after 11 unchanged reads of the acknowledgement, and again after every 11
// more; the writer goes on waiting until it is stopped.
TEST_F(WriterMachineTest, AcknowledgementThatNeverComesWarnsEveryElevenReads) {
  SimStubScript script;
  script.acknowledge = false;
  SimStub& stub = Connect(script);
  handOver_.Put(RecordsOf({"EDDB", "EDDT"}));
  // "12 pauses", "warning", ...: the waits and the warnings in their order.
  Lines seen;
  int run = 0;
  const auto takeWarnings = [&] {
    for (const std::string& line : controls_.TakeLines()) {
      if (line != "label can not send Station!") continue;
      seen.push_back(std::to_string(run) + " pauses");
      seen.push_back("warning");
      run = 0;
    }
  };
  int pauses = 0;
  machine_.ObservePauses([&](std::uint32_t ms) {
    EXPECT_EQ(ms, 50u);
    takeWarnings();
    ++run;
    if (++pauses == 35) stop_.Raise();
  });
  machine_.Pass();
  takeWarnings();
  EXPECT_EQ(seen, (Lines{"12 pauses", "warning", "11 pauses", "warning", "11 pauses", "warning"}));
  EXPECT_EQ(run, 1) << "the stop ends the wait at its next pause";
  EXPECT_EQ(StubEvents(stub, "record"), Lines{"EDDB"});
  EXPECT_EQ(handOver_.State(), kWriterSend);
}

// A poll whose position read fails does not report the simulator ready: ready goes out only
// with the position of the same poll.
TEST_F(WriterMachineTest, FailedPositionReadIsNotReportedAsReady) {
  SimStubScript script;
  script.latitude = 52.38;
  SimStub& stub = Connect(script);
  ASSERT_TRUE(poll_.Read().simReady);
  stub.SetRefusedRead(0x0560);  // the latitude: the position read alone fails
  machine_.Pass();
  EXPECT_FALSE(poll_.Read().simReady);
  EXPECT_EQ(handOver_.State(), kWriterConnected);
  EXPECT_EQ(controls_.TakeLines(), Lines{});
  stub.SetRefusedRead(0);
  machine_.Pass();
  EXPECT_TRUE(poll_.Read().simReady);
  EXPECT_NEAR(poll_.Read().latitude, 52.38, 1e-9);
}

// The acknowledgement word is any 32-bit value: one that passes 0xFFFFFFFF is an acknowledgement
// like every other, not a failed read.
TEST_F(WriterMachineTest, SendWaitsForEachAcknowledgementThenClosesAndReportsSuccess) {
  for (const std::uint32_t firstAck : {1u, 0xFFFFFFFEu}) {
    SimStubScript script;
    script.firstAck = firstAck;
    SimStub& stub = Connect(script);
    EXPECT_EQ(Send({"EDDB", "EDDT", "EDDH"}), FirstTwoOfThreeThen({
                                                  "gauge 3/3",
                                                  "label Send Station EDDH, 3 from 3",
                                                  "gauge hidden",
                                                  "item on",
                                                  "label Success! All Stations written",
                                              }))
        << firstAck;
    EXPECT_EQ(StubEvents(stub, "record"), (Lines{"EDDB", "EDDT", "EDDH"}));
    EXPECT_EQ(StubEvents(stub, "command").back(), Command(0x100));
    EXPECT_EQ(stub.WeatherAck(), firstAck + 3);
    EXPECT_EQ(handOver_.State(), kWriterConnected);
    link_.Close();
    handOver_.LinkLost();
  }
}

// A module that takes each record only at the third read of its acknowledgement: the next record
// waits for that record's own acknowledgement, never for the one before (a record written before
// it is taken replaces it, and a station is lost).
TEST_F(WriterMachineTest, NextRecordWaitsForTheAcknowledgementOfThePreviousOne) {
  SimStubScript script;
  script.ackDelayReads = 3;
  SimStub& stub = Connect(script);
  int pauses = 0;  // a stand-in that never acknowledges would hold the send: bounded here
  machine_.ObservePauses([&](std::uint32_t) {
    if (++pauses == 500) stop_.Raise();
  });
  EXPECT_EQ(Send({"EDDB", "EDDT", "EDDH"}).back(), "label Success! All Stations written");
  Lines order;
  for (const SimStubEvent& event : stub.Events()) {
    if (event.kind == "record") order.push_back("record " + event.icao);
    if (event.kind == "ack") order.push_back("ack " + std::to_string(event.value));
  }
  EXPECT_EQ(order, (Lines{"record EDDB", "ack 2", "record EDDT", "ack 3", "record EDDH", "ack 4"}));
  EXPECT_EQ(stub.WeatherAck(), 4u);
}

struct NothingWrittenCase {
  const char* what;
  std::uint8_t readyFlag;
  std::vector<const char*> icaos;
  std::string label;
};

// The link worked and the closing command went out, but no record reached the simulator: the
// label says so, and the item stays usable for the next try.
TEST_F(WriterMachineTest, SendThatWritesNoRecordSaysWhatHappened) {
  const NothingWrittenCase cases[] = {
      {"not ready", 1, {"EDDB", "EDDT"}, "label No Station written: FS not ready"},
      {"empty", 0, {}, "label No Station written: nothing to send"},
  };
  for (const NothingWrittenCase& c : cases) {
    SimStubScript script;
    script.readyFlag = c.readyFlag;
    SimStub& stub = Connect(script);
    const std::string range = std::to_string(c.icaos.size());
    EXPECT_EQ(Send(c.icaos), (Lines{"label Send Station to FS", "gauge " + range + "/0", "gauge shown",
                                    "gauge hidden", "item on", c.label}))
        << c.what;
    EXPECT_EQ(StubEvents(stub, "record"), Lines{}) << c.what;
    const Lines commands = StubEvents(stub, "command");
    ASSERT_FALSE(commands.empty()) << c.what;
    EXPECT_EQ(commands.back(), Command(0x100)) << c.what;
    EXPECT_EQ(handOver_.State(), kWriterConnected);
    link_.Close();
    handOver_.LinkLost();
  }
}

// The rest is dropped until the next hand-over; the link stays open and the writer polls again.
TEST_F(WriterMachineTest, WriteFailureOnTheSecondOfThreeRecordsEndsTheSendWithItsText) {
  SimStubScript script;
  script.refuseRecord = 2;
  SimStub& stub = Connect(script);
  EXPECT_EQ(Send({"EDDB", "EDDT", "EDDH"}), FirstTwoOfThreeThen({kBadData, "item off"}));
  EXPECT_EQ(StubEvents(stub, "record"), Lines{"EDDB"});
  EXPECT_EQ(StubEvents(stub, "command"), (Lines{Command(4), Command(3)}));
  EXPECT_EQ(handOver_.State(), kWriterConnected);

  machine_.Pass();
  EXPECT_EQ(controls_.TakeLines(), Lines{});
  EXPECT_EQ(handOver_.State(), kWriterConnected);
  EXPECT_EQ(Send({"EDDB", "EDDT", "EDDH"}).back(), "label Success! All Stations written");
  EXPECT_EQ(StubEvents(stub, "record"), (Lines{"EDDB", "EDDB", "EDDT", "EDDH"}));
}

// The first read of the acknowledgement fails: nothing is written, and the send ends as a
// failed write does, never as a success.
TEST_F(WriterMachineTest, FailedAcknowledgementReadBeforeTheFirstRecordIsALinkError) {
  SimStub& stub = Connect();
  stub.SetReplyValue(0);
  EXPECT_EQ(Send({"EDDB", "EDDT"}),
            (Lines{"label Send Station to FS", "gauge 2/0", "gauge shown", kBadData, "item off"}));
  EXPECT_EQ(StubEvents(stub, "record"), Lines{});
  EXPECT_EQ(handOver_.State(), kWriterConnected);
}

// A module that takes messages and never answers: every try times out, the link is closed and
// the writer connects again.
TEST_F(WriterMachineTest, SilentModuleMakesThePollFailAndTheWriterReconnect) {
  SimStub& stub = Connect();
  stub.SetSilentReplies(-1);
  machine_.Pass();
  EXPECT_EQ(controls_.TakeLines(), Lines{"status IPC timed out all retries"});
  EXPECT_EQ(handOver_.State(), kWriterConnect);
  EXPECT_FALSE(poll_.Read().simReady);
}

}  // namespace
