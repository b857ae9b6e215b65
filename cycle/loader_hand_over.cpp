#include "cycle/loader_hand_over.h"

#include <utility>

void LoaderHandOver::Request(const FeedTexts& texts) {
  FeedTexts copies = texts.Clone();
  {
    std::lock_guard<std::mutex> guard(lock_);
    texts_ = std::move(copies);
    request_.store(1);
  }
  wake_.notify_all();
}

bool LoaderHandOver::AcceptRequest(FeedTexts& texts, std::chrono::microseconds idle) {
  std::unique_lock<std::mutex> guard(lock_);
  wake_.wait_for(guard, idle, [this] { return stopped_.load() || request_.load() == 1; });
  if (stopped_.load() || request_.load() != 1) return false;
  texts = std::move(texts_);
  texts_ = FeedTexts();
  request_.store(0);
  ready_.store(0);
  busy_.store(1);
  abandoned_.store(false);
  return true;
}

void LoaderHandOver::Publish(LoadedLists lists) {
  std::lock_guard<std::mutex> guard(lock_);
  busy_.store(0);
  if (abandoned_.load()) return;
  lists_ = std::move(lists);
  listsWaiting_ = true;
  ready_.store(1);
}

bool LoaderHandOver::TakeLists(LoadedLists& lists) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!listsWaiting_) return false;
  lists = std::move(lists_);
  lists_ = LoadedLists();
  listsWaiting_ = false;
  return true;
}

void LoaderHandOver::DropLists() {
  std::lock_guard<std::mutex> guard(lock_);
  lists_ = LoadedLists();
  listsWaiting_ = false;
}

void LoaderHandOver::Abandon() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    texts_ = FeedTexts();
    request_.store(0);
    lists_ = LoadedLists();
    listsWaiting_ = false;
    ready_.store(0);
    abandoned_.store(true);
  }
  wake_.notify_all();  // the pause after an item ends at once
}

void LoaderHandOver::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopped_.store(true);
  }
  wake_.notify_all();
}

bool LoaderHandOver::Pause(std::chrono::microseconds duration) {
  if (stopped_.load() || abandoned_.load()) return false;
  if (duration.count() <= 0) return true;
  std::unique_lock<std::mutex> guard(lock_);
  return !wake_.wait_for(guard, duration, [this] { return stopped_.load() || abandoned_.load(); });
}
