#include "simlink/writer_handover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "writer_test_env.h"

namespace {

std::vector<std::string> IcaosOf(const std::vector<NewWeather>& records) {
  std::vector<std::string> icaos;
  for (const NewWeather& record : records) icaos.emplace_back(record.Icao, strnlen(record.Icao, 4));
  return icaos;
}

using Icaos = std::vector<std::string>;

TEST(WriterHandOver, ASendUnderWayKeepsItsRecordsAndTheNextHandOverWaitsForItsEnd) {
  WriterHandOver handOver;
  handOver.StartConnecting();
  handOver.Connected();
  EXPECT_EQ(handOver.State(), kWriterConnected);

  handOver.Put(RecordsOf({"EDDB", "EDDT"}));
  EXPECT_EQ(handOver.State(), kWriterSend);
  const std::vector<NewWeather> sending = handOver.Take();
  handOver.Put(RecordsOf({"LOWW"}));
  handOver.Put(RecordsOf({"EGLL"}));  // the newest not yet taken wins
  EXPECT_EQ(IcaosOf(sending), (Icaos{"EDDB", "EDDT"}));
  handOver.SendEnded();
  EXPECT_EQ(handOver.State(), kWriterSend);
  EXPECT_EQ(IcaosOf(handOver.Take()), Icaos{"EGLL"});
  handOver.SendEnded();
  EXPECT_EQ(handOver.State(), kWriterConnected);
  EXPECT_FALSE(handOver.HasWaiting());
}

// A hand-over while the writer is not connected waits for the connection; losing the link
// keeps it.
TEST(WriterHandOver, AHandOverWaitsWhileTheWriterConnects) {
  WriterHandOver handOver;
  handOver.Put(RecordsOf({"EDDB"}));
  EXPECT_EQ(handOver.State(), kWriterIdle);
  handOver.StartConnecting();
  EXPECT_EQ(handOver.State(), kWriterConnect);
  handOver.Connected();
  EXPECT_EQ(handOver.State(), kWriterSend);

  handOver.LinkLost();
  EXPECT_EQ(handOver.State(), kWriterConnect);
  handOver.Put(RecordsOf({"EDDT"}));
  EXPECT_EQ(handOver.State(), kWriterConnect);
  handOver.StartConnecting();  // only from idle
  EXPECT_EQ(handOver.State(), kWriterConnect);
  handOver.Connected();
  EXPECT_EQ(handOver.State(), kWriterSend);
  EXPECT_EQ(IcaosOf(handOver.Take()), Icaos{"EDDT"});
  EXPECT_EQ(IcaosOf(handOver.Take()), Icaos{});  // state 3 without a hand-over: an empty send
}

// The GUI thread hands over while the writer takes, sends and loses its link: every hand-over
// is either sent or is the one still waiting at the end.
TEST(WriterHandOver, NoHandOverIsLostBetweenTwoThreads) {
  constexpr int kHandOvers = 2000;
  WriterHandOver handOver;
  handOver.StartConnecting();
  handOver.Connected();
  std::atomic<bool> done{false};
  std::vector<int> sent;
  std::thread writer([&] {
    int turn = 0;
    while (!done.load() || handOver.State() == kWriterSend) {
      if (handOver.State() != kWriterSend) {
        if (++turn % 7 == 0) {
          handOver.LinkLost();
          handOver.Connected();
        }
        std::this_thread::yield();
        continue;
      }
      for (const NewWeather& record : handOver.Take()) sent.push_back(record.Reserved12);
      handOver.SendEnded();
    }
  });
  for (int i = 1; i <= kHandOvers; ++i) {
    std::vector<NewWeather> records = RecordsOf({"EDDB"});
    records[0].Reserved12 = static_cast<std::uint16_t>(i);
    handOver.Put(std::move(records));
  }
  done = true;
  writer.join();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), kHandOvers);  // the last hand-over always goes out
  for (std::size_t i = 1; i < sent.size(); ++i) EXPECT_LT(sent[i - 1], sent[i]);
}

}  // namespace
