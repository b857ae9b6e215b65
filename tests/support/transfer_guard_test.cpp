#include "support/transfer_guard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "common/test_paths.h"
#include "peers/loopback_listener.h"

namespace {

using namespace std::chrono_literals;
using download::Clock;
using download::Connection;
using download::Io;
using download::TransferGuard;

DownloadOptions Options(std::chrono::seconds readTimeout) {
  DownloadOptions options;
  options.limits = {readTimeout, 60s, 1 << 20};
  return options;
}

// What ends a wait, in the order it is looked at: the stop before the deadline before the read
// time-out; the hook runs on every slice that waited, and never where nothing was waited for.
TEST(TransferGuard, StopBeforeDeadlineBeforeSilence) {
  struct Case {
    const char* name;
    bool stopped;
    bool pastDeadline;
    bool silentTooLong;
    Io going;
    Io waited;
  };
  const Case cases[] = {
      {"nothing", false, false, false, Io::kOk, Io::kOk},
      {"silent", false, false, true, Io::kOk, Io::kSilent},
      {"deadline", false, true, false, Io::kTimedOut, Io::kTimedOut},
      {"deadline and silent", false, true, true, Io::kTimedOut, Io::kTimedOut},
      {"stop", true, false, false, Io::kStopped, Io::kStopped},
      {"stop, deadline and silent", true, true, true, Io::kStopped, Io::kStopped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DownloadStop stop;
    if (c.stopped) stop.Raise();
    DownloadOptions options = Options(1s);
    options.stop = &stop;
    int hookCalls = 0;
    options.waiting = [&hookCalls] { ++hookCalls; };
    const Clock::time_point now = Clock::now();
    const TransferGuard guard(options, c.pastDeadline ? now - 1ms : now + 60s);
    EXPECT_EQ(guard.Going(), c.going);
    EXPECT_EQ(hookCalls, 0);
    EXPECT_EQ(guard.Waited(c.silentTooLong ? now - 2s : now), c.waited);
    EXPECT_EQ(hookCalls, 1);
  }
}

// A stop the hook itself raises (a window's close) ends the wait it was called from.
TEST(TransferGuard, StopRaisedByTheHookEndsThatWait) {
  DownloadStop stop;
  DownloadOptions options = Options(10s);
  options.stop = &stop;
  options.waiting = [&stop] { stop.Raise(); };
  const TransferGuard guard(options, Clock::now() + 60s);
  EXPECT_EQ(guard.Waited(Clock::now()), Io::kStopped);
}

// A connection to a peer on the loopback, with the peer's end at hand.
struct Peered {
  explicit Peered(const TransferGuard& guard) : connection(guard) {}
  ~Peered() {
    if (peer != testpeers::kNoSocket) testpeers::CloseSocket(peer);
  }
  bool Open() {
    if (connection.Open("127.0.0.1", listener.Port()) != Io::kOk) return false;
    peer = listener.Accept(2000);
    return peer != testpeers::kNoSocket;
  }

  testpeers::LoopbackListener listener;
  Connection connection;
  testpeers::PeerSocket peer = testpeers::kNoSocket;
};

// Lines end at "\r\n" or "\n" and take their ends from the budget; what came after them is read
// before anything else, and the peer's close ends the reading.
TEST(TransferGuardConnection, LinesThenTheRestInTheOrderTheyCame) {
  const DownloadOptions options = Options(10s);
  const TransferGuard guard(options, Clock::now() + 60s);
  Peered peered(guard);
  ASSERT_TRUE(peered.Open());
  ASSERT_TRUE(testpeers::WriteAll(peered.peer, "one\r\ntwo\nthe rest"));
  testpeers::CloseSocket(std::exchange(peered.peer, testpeers::kNoSocket));
  std::size_t budget = 100;
  std::string line;
  ASSERT_EQ(peered.connection.ReadLine(line, budget), Io::kOk);
  EXPECT_EQ(line, "one");
  EXPECT_EQ(budget, 95u);
  ASSERT_EQ(peered.connection.ReadLine(line, budget), Io::kOk);
  EXPECT_EQ(line, "two");
  EXPECT_EQ(budget, 91u);
  std::string rest;
  char piece[64];
  std::size_t count = 0;
  Io read = Io::kOk;
  while ((read = peered.connection.ReadSome(piece, sizeof piece, count)) == Io::kOk) {
    rest.append(piece, count);
  }
  EXPECT_EQ(rest, "the rest");
  EXPECT_EQ(read, Io::kEnded);
}

// A line, its end included, that does not fit what the head may still take is refused, whether
// its end has come or not.
TEST(TransferGuardConnection, LineBeyondTheBudgetIsRefused) {
  struct Case {
    const char* sent;
    std::size_t budget;
    Io expected;
  };
  const Case cases[] = {
      {"abc\n", 4, Io::kOk},
      {"abc\n", 3, Io::kTooLong},
      {"abcdefghij", 8, Io::kTooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    const DownloadOptions options = Options(10s);
    const TransferGuard guard(options, Clock::now() + 60s);
    Peered peered(guard);
    ASSERT_TRUE(peered.Open());
    ASSERT_TRUE(testpeers::WriteAll(peered.peer, c.sent));
    std::size_t budget = c.budget;
    std::string line;
    EXPECT_EQ(peered.connection.ReadLine(line, budget), c.expected);
  }
}

// An orderly end, a reset and a silence that outlives the read time-out are three different ends.
TEST(TransferGuardConnection, EndResetAndSilenceAreToldApart) {
  enum class Peer { kCloses, kResets, kKeepsSilent };
  struct Case {
    const char* name;
    Peer peer;
    Io expected;
  };
  const Case cases[] = {
      {"close", Peer::kCloses, Io::kEnded},
      {"reset", Peer::kResets, Io::kReset},
      {"silence", Peer::kKeepsSilent, Io::kSilent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.peer == Peer::kResets && testsupport::RunningUnderWine())
      continue;  // a reset reads as an end there
    const DownloadOptions options = Options(1s);
    const TransferGuard guard(options, Clock::now() + 60s);
    Peered peered(guard);
    ASSERT_TRUE(peered.Open());
    if (c.peer == Peer::kCloses) testpeers::CloseSocket(std::exchange(peered.peer, testpeers::kNoSocket));
    if (c.peer == Peer::kResets) testpeers::CloseWithReset(std::exchange(peered.peer, testpeers::kNoSocket));
    char piece[16];
    std::size_t count = 99;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(peered.connection.ReadSome(piece, sizeof piece, count), c.expected);
    EXPECT_EQ(count, 0u);
    EXPECT_LT(Clock::now() - start, 5s);
  }
}

// Another thread's stop ends a wait on a silent peer long before the read time-out, and the
// waiting hook keeps being called until then.
TEST(TransferGuardConnection, StopFromAnotherThreadEndsASilentWait) {
  DownloadStop stop;
  DownloadOptions options = Options(30s);
  options.stop = &stop;
  int hookCalls = 0;
  options.waiting = [&hookCalls] { ++hookCalls; };
  const TransferGuard guard(options, Clock::now() + 60s);
  Peered peered(guard);
  ASSERT_TRUE(peered.Open());
  std::thread raiser([&stop] {
    std::this_thread::sleep_for(300ms);
    stop.Raise();
  });
  char piece[16];
  std::size_t count = 0;
  const Clock::time_point start = Clock::now();
  const Io read = peered.connection.ReadSome(piece, sizeof piece, count);
  const auto took = Clock::now() - start;
  raiser.join();
  EXPECT_EQ(read, Io::kStopped);
  EXPECT_LT(took, 5s);
  EXPECT_GT(hookCalls, 1);
}

// A raised stop keeps a connection from being made at all.
TEST(TransferGuardConnection, NoConnectionOnceStopped) {
  DownloadStop stop;
  stop.Raise();
  DownloadOptions options = Options(10s);
  options.stop = &stop;
  const TransferGuard guard(options, Clock::now() + 60s);
  testpeers::LoopbackListener listener;
  Connection connection(guard);
  EXPECT_EQ(connection.Open("127.0.0.1", listener.Port()), Io::kStopped);
  EXPECT_EQ(listener.Accept(200), testpeers::kNoSocket);
}

}  // namespace
