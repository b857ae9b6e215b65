#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "cycle/loaded_lists.h"

// The request / busy / ready protocol between the GUI thread and the loader, with the texts that
// travel with a request and the lists that travel back with ready. The three words are atomic so
// that the timer tick reads them without the lock; they only change under it, in the order the
// protocol needs: texts before request, lists before ready.
class LoaderHandOver {
 public:
  // GUI thread: keeps deep copies of the texts, then sets the request word to 1. A request that
  // was not yet taken is replaced by the newer texts.
  void Request(const FeedTexts& texts);

  // Loader: waits up to idle for a request or a stop. On a request: request 0, ready 0 and busy 1
  // in one step, and the texts are moved into texts; true. False on a time-out or a stop.
  bool AcceptRequest(FeedTexts& texts, std::chrono::microseconds idle);

  // Loader: hands over the lists of a finished split, then busy 0 and ready 1. Lists that were
  // not taken yet are replaced. After Abandon the lists are dropped instead and ready stays down.
  void Publish(LoadedLists lists);

  // GUI thread: moves the published lists into lists; false when there are none to take.
  bool TakeLists(LoadedLists& lists);
  // GUI thread: drops lists that were published but not taken (a new download makes them stale).
  void DropLists();
  // GUI thread, when a download begins: whatever the loader has of the texts before is stale. A
  // request not yet taken is withdrawn, lists not yet taken are dropped, ready goes down, and a
  // split under way ends at its next item and publishes nothing. The next request starts afresh.
  void Abandon();
  // Loader: the split under way is to end without publishing.
  bool Abandoned() const { return abandoned_.load(); }

  // GUI thread: the send step takes the ready flag down.
  void ClearReady() { ready_.store(0); }

  bool IsRequested() const { return request_.load() == 1; }
  bool IsBusy() const { return busy_.load() == 1; }
  bool IsReady() const { return ready_.load() == 1; }

  // Any thread: every wait and pause of the loader ends at once, now and later.
  void Stop();
  bool Stopped() const { return stopped_.load(); }
  // Loader: sleeps for the duration unless stopped or abandoned; false when either.
  bool Pause(std::chrono::microseconds duration);

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  FeedTexts texts_;
  LoadedLists lists_;
  bool listsWaiting_ = false;
  std::atomic<std::uint32_t> request_{0};
  std::atomic<std::uint8_t> busy_{0};
  std::atomic<std::uint8_t> ready_{0};
  std::atomic<bool> stopped_{false};
  std::atomic<bool> abandoned_{false};
};
