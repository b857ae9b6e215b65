#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "simlink/fsuipc_worker.h"
#include "writer_test_env.h"

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const std::string kBadData = "status IPC request contains bad data";
const std::string kSuccess = "label Success! All Stations written";

// The line just before the first "item off": what the failure showed. The stand-in goes on
// refusing, so the polls after it show their failures too.
std::string ShownWithItemOff(const Lines& all) {
  for (std::size_t i = 1; i < all.size(); ++i)
    if (all[i] == "item off") return all[i - 1];
  return "";
}

// The writer thread as the main window runs it: the recorder plays the window, draining the
// posted updates on the test thread.
class WriterThreadTest : public LinkTest {
 protected:
  void TearDown() override {
    if (worker_) worker_->Delete();
    controls_.Follow(nullptr);
    worker_.reset();
    LinkTest::TearDown();
  }

  FSUIPCWorker& StartWorker(bool connect = true) {
    worker_ = std::make_unique<FSUIPCWorker>(WriterOptions{}, &controls_);
    controls_.Follow(&worker_->Progress());
    EXPECT_EQ(worker_->Run(), wxTHREAD_NO_ERROR);
    if (connect) worker_->StartConnecting();
    return *worker_;
  }

  // Connected and polled with the simulator ready.
  FSUIPCWorker& StartConnected() {
    FSUIPCWorker& worker = StartWorker();
    EXPECT_TRUE(WaitUntil(controls_, [&worker] { return worker.IsSimReady(); }));
    return worker;
  }

  bool StubHasRecords(std::size_t count) { return StubEvents(*stub_, "record").size() >= count; }

  // Time the stop takes, from the request to the joined thread.
  double StopMs() {
    const auto start = Clock::now();
    worker_->Delete();
    const auto elapsed = Clock::now() - start;
    controls_.Follow(nullptr);
    worker_.reset();
    return std::chrono::duration<double, std::milli>(elapsed).count();
  }

  ControlRecorder controls_;
  std::unique_ptr<FSUIPCWorker> worker_;
};

// Position and ready flag come from one poll: the simulator moves, then reports ready; whoever
// sees it ready sees the new position, and no look ever gets half of one position.
TEST_F(WriterThreadTest, ReadyFlagIsNeverSeenWithThePositionOfAnEarlierPoll) {
  SimStubScript script;
  script.readyFlag = 1;
  script.latitude = 10.0;
  script.longitude = 20.0;
  SimStub& stub = StartStub(script);
  FSUIPCWorker& worker = StartWorker();
  ASSERT_TRUE(WaitUntil(controls_, [&worker] { return worker.LastPoll().latitude > 9.0; }));
  stub.SetPosition(30.0, 40.0);
  stub.SetReadyFlag(0);
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  bool ready = false;
  while (!ready && Clock::now() < deadline) {
    const PollResult poll = worker.LastPoll();
    const bool oldPosition =
        std::fabs(poll.latitude - 10.0) < 1e-9 && std::fabs(poll.longitude - 20.0) < 1e-9;
    const bool newPosition =
        std::fabs(poll.latitude - 30.0) < 1e-9 && std::fabs(poll.longitude - 40.0) < 1e-9;
    ASSERT_TRUE(oldPosition || newPosition) << poll.latitude << " " << poll.longitude;
    ready = poll.simReady;
    if (ready) {
      ASSERT_TRUE(newPosition);
    }
  }
  EXPECT_TRUE(ready);
  double latitude = 0.0;
  double longitude = 0.0;
  worker.GetPosition(latitude, longitude);
  EXPECT_NEAR(latitude, 30.0, 1e-9);
  EXPECT_NEAR(longitude, 40.0, 1e-9);
}

// The options dialog's OK and Apply reach the polling writer as copies: changes made on this
// thread while the writer reads them on its own share nothing but the hand-over (the thread
// sanitizer watches), and the newest one counts from the next poll.
TEST_F(WriterThreadTest, OptionsHandedOverWhileTheWriterPollsCountFromTheNextPoll) {
  SimStub& stub = StartStub();
  FSUIPCWorker& worker = StartConnected();
  EXPECT_EQ(StubEvents(stub, "wind_smoothing"), Lines{});
  const auto until = Clock::now() + std::chrono::milliseconds(300);  // a few polls of the writer
  for (bool on = true; Clock::now() < until; on = !on) {
    worker.SetOptions(WriterOptions{on});
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  worker.SetOptions(WriterOptions{true});
  const std::size_t before = StubEvents(stub, "wind_smoothing").size();
  const std::string refresh = std::to_string(0x3127) + "=255";
  ASSERT_TRUE(WaitUntil(controls_, [&] { return StubEvents(stub, "wind_smoothing").size() >= before + 2; }));
  EXPECT_EQ(StubEvents(stub, "wind_smoothing").back(), refresh);
}

// A hand-over during a send neither replaces the records being sent nor gets lost.
TEST_F(WriterThreadTest, HandOverDuringASendIsSentAfterIt) {
  SimStub& stub = StartStub();
  FSUIPCWorker& worker = StartConnected();
  worker.HandOver(RecordsOf({"EDDB", "EDDT", "EDDH"}));
  ASSERT_TRUE(WaitUntil(controls_, [this] { return StubHasRecords(1); }));
  worker.HandOver(RecordsOf({"LOWW"}));
  ASSERT_TRUE(WaitUntil(controls_, [this] { return StubHasRecords(4); }));
  ASSERT_TRUE(WaitUntil(controls_, [&] { return StubEvents(stub, "command").size() == 4; }));
  EXPECT_EQ(StubEvents(stub, "record"), (Lines{"EDDB", "EDDT", "EDDH", "LOWW"}));
  EXPECT_EQ(StubEvents(stub, "command"), (Lines{Command(4), Command(3), Command(0x100), Command(0x100)}));
  ASSERT_TRUE(WaitUntil(controls_, [&worker] { return worker.State() == kWriterConnected; }));
  EXPECT_TRUE(controls_.Saw("label Send Station LOWW, 1 from 1"));
}

// The acknowledgement read fails in the middle of the wait: a link error, reported as a failed
// write is; the writer then polls again.
TEST_F(WriterThreadTest, FailedAcknowledgementReadDuringTheWaitIsALinkError) {
  SimStubScript script;
  script.acknowledge = false;
  SimStub& stub = StartStub(script);
  FSUIPCWorker& worker = StartConnected();
  worker.HandOver(RecordsOf({"EDDB", "EDDT"}));
  ASSERT_TRUE(WaitUntil(controls_, [this] { return StubHasRecords(1); }));
  stub.SetReplyValue(0);
  ASSERT_TRUE(WaitUntil(controls_, [this] { return controls_.Saw("item off"); }));
  EXPECT_EQ(ShownWithItemOff(controls_.AllLines()), kBadData);
  EXPECT_FALSE(controls_.Saw(kSuccess));
  EXPECT_EQ(StubEvents(stub, "record"), Lines{"EDDB"});
  stub.SetReplyValue(1);
  ASSERT_TRUE(WaitUntil(controls_, [&worker] { return worker.State() == kWriterConnected; }));
}

TEST_F(WriterThreadTest, ClosingCommandFailureShowsItsTextAndLeavesTheItemDisabled) {
  SimStub& stub = StartStub();
  FSUIPCWorker& worker = StartConnected();
  worker.HandOver(RecordsOf({"EDDB"}));
  ASSERT_TRUE(WaitUntil(controls_, [this] { return controls_.Saw("gauge hidden"); }));
  stub.SetReplyValue(0);  // the next exchange is the closing command
  ASSERT_TRUE(WaitUntil(controls_, [this] { return controls_.Saw("item off"); }));
  EXPECT_EQ(ShownWithItemOff(controls_.AllLines()), kBadData);
  EXPECT_FALSE(controls_.Saw(kSuccess));
  EXPECT_EQ(StubEvents(stub, "record"), Lines{"EDDB"});
}

// The main window may never start the writer (no "airport.dat"), or stop it twice.
TEST_F(WriterThreadTest, WriterNeverStartedOrStoppedTwiceIsDeletedAtOnce) {
  auto never = std::make_unique<FSUIPCWorker>(WriterOptions{}, &controls_);
  never->Delete();
  never.reset();
  FSUIPCWorker& worker = StartWorker();
  EXPECT_EQ(worker.Delete(), wxTHREAD_NO_ERROR);
  worker.Delete();
  EXPECT_EQ(controls_.TakeLines(), Lines{});
}

// Where the writer is when the main window closes, and what brings it there. Real time: the
// pauses and time-outs are those of the program.
struct StopCase {
  const char* name;
  std::function<void(WriterThreadTest&)> reach;
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }

class WriterStopTest : public WriterThreadTest, public ::testing::WithParamInterface<StopCase> {
 public:
  void Reach() {
    SetPlatformTimeScale(1.0);
    GetParam().reach(*this);
  }
  SimStub& Stub(SimStubScript script = {}) { return StartStub(std::move(script)); }
  FSUIPCWorker& Worker(bool connect = true) { return StartWorker(connect); }
  FSUIPCWorker& Connected() { return StartConnected(); }
  bool Wait(const std::function<bool()>& condition) { return WaitUntil(controls_, condition); }
  bool Saw(const std::string& line) const { return controls_.Saw(line); }
  bool HasRecords(std::size_t count) { return StubHasRecords(count); }
  SimStub& TheStub() { return *stub_; }
};

const StopCase kStopCases[] = {
    {"Idle",
     [](WriterThreadTest& t) {
       static_cast<WriterStopTest&>(t).Worker(false);
       std::this_thread::sleep_for(std::chrono::milliseconds(50));
     }},
    {"ConnectingWithoutSimulator",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       s.Worker();
       ASSERT_TRUE(s.Wait([&s] { return s.Saw("status not connected"); }));
     }},
    {"ConnectingToASilentModule",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       SimStubScript script;
       script.silentReplies = -1;
       SimStub& stub = s.Stub(script);
       s.Worker();
       ASSERT_TRUE(s.Wait([&stub] { return stub.MessagesReceived() >= 1; }));
     }},
    {"Polling",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       s.Stub();
       s.Connected();
     }},
    {"Sending",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       s.Stub();
       s.Connected().HandOver(RecordsOf({"EDDB", "EDDT", "EDDH"}));
       ASSERT_TRUE(s.Wait([&s] { return s.HasRecords(1); }));
     }},
    {"SendingClosingPause",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       s.Stub();
       s.Connected().HandOver(RecordsOf({"EDDB"}));
       ASSERT_TRUE(s.Wait([&s] { return s.Saw("gauge hidden"); }));
     }},
    {"AcknowledgementNeverComes",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       SimStubScript script;
       script.acknowledge = false;
       s.Stub(script);
       s.Connected().HandOver(RecordsOf({"EDDB"}));
       ASSERT_TRUE(s.Wait([&s] { return s.Saw("label can not send Station!"); }));
     }},
    {"SilentModule",
     [](WriterThreadTest& t) {
       auto& s = static_cast<WriterStopTest&>(t);
       SimStub& stub = s.Stub();
       s.Connected();
       const std::uint32_t before = stub.MessagesReceived();
       stub.SetSilentReplies(-1);
       ASSERT_TRUE(s.Wait([&stub, before] { return stub.MessagesReceived() > before; }));
       std::this_thread::sleep_for(std::chrono::milliseconds(100));  // well inside the 2 s wait
     }},
};

// A stop ends every pause and every exchange at once; a simulator that never answers holds
// no one up. Prints the time each stop took.
TEST_P(WriterStopTest, EndsWellWithinASecond) {
  ASSERT_NO_FATAL_FAILURE(Reach());
  const Lines before = controls_.TakeLines();
  const double ms = StopMs();
  std::printf("writer shut-down, %s: %.1f ms\n", GetParam().name, ms);
  RecordProperty("shutdown_ms", std::to_string(ms));
  EXPECT_LT(ms, 1000.0);
  EXPECT_EQ(controls_.TakeLines(), Lines{}) << "a stop reports nothing";
}

INSTANTIATE_TEST_SUITE_P(Writer, WriterStopTest, ::testing::ValuesIn(kStopCases),
                         [](const ::testing::TestParamInfo<StopCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
