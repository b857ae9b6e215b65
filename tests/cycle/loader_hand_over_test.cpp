#include "cycle/loader_hand_over.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "cycle/loader_progress.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kLongWait = std::chrono::microseconds(std::chrono::seconds(30));

FeedTexts Texts(const char* metar) { return {wxString(metar), wxS("TTAA"), wxS("AAXX")}; }

LoadedLists ListsOf(const char* icao) {
  LoadedLists lists;
  lists.Stations.emplace_back();
  lists.Stations.back().Icao = icao;
  return lists;
}

TEST(LoaderHandOver, TakingARequestMovesTheWordsInOneStep) {
  LoaderHandOver box;
  box.Publish(ListsOf("OLD1"));  // a finished split: ready
  ASSERT_TRUE(box.IsReady());
  box.Request(Texts("EDDF 121200Z"));
  EXPECT_TRUE(box.IsRequested());

  FeedTexts taken;
  ASSERT_TRUE(box.AcceptRequest(taken, 1ms));
  EXPECT_FALSE(box.IsRequested());
  EXPECT_FALSE(box.IsReady());
  EXPECT_TRUE(box.IsBusy());
  EXPECT_EQ(taken.Metar, "EDDF 121200Z");
  EXPECT_EQ(taken.Upperair, "TTAA");
  EXPECT_EQ(taken.Synop, "AAXX");

  box.Publish(ListsOf("EDDF"));
  EXPECT_FALSE(box.IsBusy());
  EXPECT_TRUE(box.IsReady());
  LoadedLists lists;
  ASSERT_TRUE(box.TakeLists(lists));
  ASSERT_EQ(lists.Stations.size(), 1u);
  EXPECT_EQ(lists.Stations[0].Icao, "EDDF");  // the newest publication, the older one dropped
  EXPECT_FALSE(box.TakeLists(lists));         // taken once
  EXPECT_TRUE(box.IsReady());                 // until the send takes it down
  box.ClearReady();
  EXPECT_FALSE(box.IsReady());
}

// A download begins: what the loader has of the texts before is stale, whatever stage it is at.
TEST(LoaderHandOver, AbandonMakesEverythingBeforeItStale) {
  LoaderHandOver box;
  FeedTexts taken;
  box.Request(Texts("OLD1"));
  ASSERT_TRUE(box.AcceptRequest(taken, 1ms));  // a split of OLD1 runs
  box.Publish(ListsOf("OLD0"));                // and lists of a split before it wait
  box.Request(Texts("OLD2"));                  // and a request not yet taken
  box.Abandon();
  EXPECT_TRUE(box.Abandoned());
  EXPECT_FALSE(box.IsRequested());
  EXPECT_FALSE(box.IsReady());
  LoadedLists lists;
  EXPECT_FALSE(box.TakeLists(lists));

  box.Publish(ListsOf("OLD1"));  // the running split ends anyway
  EXPECT_FALSE(box.IsBusy());
  EXPECT_FALSE(box.IsReady());
  EXPECT_FALSE(box.TakeLists(lists));

  box.Request(Texts("NEW"));
  ASSERT_TRUE(box.AcceptRequest(taken, 1ms));
  EXPECT_FALSE(box.Abandoned());
  EXPECT_EQ(taken.Metar, "NEW");
  box.Publish(ListsOf("NEW"));
  EXPECT_TRUE(box.IsReady());
  ASSERT_TRUE(box.TakeLists(lists));
  EXPECT_EQ(lists.Stations[0].Icao, "NEW");
}

TEST(LoaderHandOver, TheLoaderReadsItsOwnCopyOfTheTexts) {
  LoaderHandOver box;
  wxString metar = wxS("EDDF 121200Z 27010KT");
  box.Request({metar, wxString(), wxString()});
  metar.replace(0, 4, wxS("KJFK"));  // the window's text is filled again by a new download
  metar.clear();
  FeedTexts taken;
  ASSERT_TRUE(box.AcceptRequest(taken, 1ms));
  EXPECT_EQ(taken.Metar, "EDDF 121200Z 27010KT");
}

TEST(LoaderHandOver, NoRequestMeansATimeOutAndNothingChanges) {
  LoaderHandOver box;
  FeedTexts taken;
  EXPECT_FALSE(box.AcceptRequest(taken, 1ms));
  EXPECT_FALSE(box.IsBusy());
  EXPECT_FALSE(box.IsReady());
  LoadedLists lists;
  EXPECT_FALSE(box.TakeLists(lists));
}

TEST(LoaderHandOver, ARequestWakesAWaitingLoader) {
  LoaderHandOver box;
  auto waiter = std::async(std::launch::async, [&box] {
    FeedTexts taken;
    const bool accepted = box.AcceptRequest(taken, kLongWait);
    return accepted ? taken.Metar : wxString(wxS("timed out"));
  });
  std::this_thread::sleep_for(20ms);
  box.Request(Texts("LOWW 121200Z"));
  ASSERT_EQ(waiter.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(waiter.get(), "LOWW 121200Z");
}

TEST(LoaderHandOver, ARequestDuringASplitWaitsForIt) {
  LoaderHandOver box;
  box.Request(Texts("FIRST"));
  FeedTexts taken;
  ASSERT_TRUE(box.AcceptRequest(taken, 1ms));
  box.Request(Texts("SECOND"));  // a download while the first split runs
  EXPECT_TRUE(box.IsBusy());
  EXPECT_TRUE(box.IsRequested());
  box.Publish(ListsOf("FRST"));
  EXPECT_TRUE(box.IsReady());
  ASSERT_TRUE(box.AcceptRequest(taken, 1ms));  // taken as soon as the loader looks again
  EXPECT_EQ(taken.Metar, "SECOND");
  EXPECT_FALSE(box.IsReady());
  LoadedLists lists;
  EXPECT_TRUE(box.TakeLists(lists));  // the first split's lists are still there to take
}

TEST(LoaderHandOver, DroppedListsAreGone) {
  LoaderHandOver box;
  box.Publish(ListsOf("EDDF"));
  box.DropLists();
  LoadedLists lists;
  EXPECT_FALSE(box.TakeLists(lists));
}

TEST(LoaderHandOver, AStopEndsEveryWaitAtOnce) {
  LoaderHandOver box;
  auto idle = std::async(std::launch::async, [&box] {
    FeedTexts taken;
    return box.AcceptRequest(taken, kLongWait);
  });
  auto pause = std::async(std::launch::async, [&box] { return box.Pause(kLongWait); });
  std::this_thread::sleep_for(20ms);
  box.Stop();
  ASSERT_EQ(idle.wait_for(10s), std::future_status::ready);
  ASSERT_EQ(pause.wait_for(10s), std::future_status::ready);
  EXPECT_FALSE(idle.get());
  EXPECT_FALSE(pause.get());
  // and every later one
  EXPECT_FALSE(box.Pause(kLongWait));
  box.Request(Texts("LATE"));
  FeedTexts taken;
  EXPECT_FALSE(box.AcceptRequest(taken, kLongWait));
}

TEST(LoaderHandOver, APauseOfNothingReturnsAtOnce) {
  LoaderHandOver box;
  EXPECT_TRUE(box.Pause(0us));
  EXPECT_TRUE(box.Pause(100us));
}

TEST(ProgressMailbox, KeepsTheNewestAndWakesOncePerUnreadValue) {
  ProgressMailbox box;
  LoaderProgress progress;
  progress.Label = "Init Metar 1 from 3, Error:0 ";
  EXPECT_TRUE(box.Put(progress));  // the GUI thread must be woken
  progress.Label = "Init Metar 2 from 3, Error:0 ";
  EXPECT_FALSE(box.Put(progress));  // it is already coming
  EXPECT_EQ(box.Take().Label, "Init Metar 2 from 3, Error:0 ");
  progress.Label = "Ready";
  EXPECT_TRUE(box.Put(progress));
  EXPECT_EQ(box.Take().Label, "Ready");
}

TEST(ProgressPublisher, OffersAFewAndAlwaysTheForcedOnes) {
  ProgressMailbox box;
  ProgressPublisher publisher(box, nullptr, std::chrono::hours(1));
  EXPECT_TRUE(publisher.Due());
  publisher.Current().GaugeValue = 1;
  publisher.Offer(false);  // the first one goes
  EXPECT_FALSE(publisher.Due());
  publisher.Current().GaugeValue = 2;
  publisher.Offer(false);  // too soon
  EXPECT_EQ(box.Take().GaugeValue, 1);
  publisher.Current().GaugeValue = 3;
  publisher.Offer(true);  // the end of a step
  EXPECT_EQ(box.Take().GaugeValue, 3);
}

}  // namespace
