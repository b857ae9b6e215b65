#pragma once

#include <mutex>
#include <utility>
#include <vector>

// How a mailbox treats a value put while an earlier one is still unread.
enum class MailboxKeeps {
  kNewest,  // it replaces the earlier one: thousands of updates collapse into the newest
  kEach,    // it waits behind the earlier one: every update is applied, in its order
};

// What a worker thread reports to the GUI thread. The worker puts a value and, when Put returns
// true, posts one event; the GUI thread takes on that event everything unread. A value leaves
// the box as its own copy (Value::DeepCopy, which copies texts deep), so nothing is shared with
// the worker afterwards.
template <typename Value, MailboxKeeps kKeeps>
class Mailbox {
 public:
  // Worker: true when the GUI thread has taken everything before, so an event should be posted.
  bool Put(Value value) {
    std::lock_guard<std::mutex> guard(lock_);
    if (kKeeps == MailboxKeeps::kNewest) held_.clear();
    held_.push_back(std::move(value));
    return !std::exchange(unread_, true);
  }

  // GUI thread: what came since the last take, oldest first; empty when it has been taken already
  // (its event may still be on its way: it then finds nothing and changes nothing).
  std::vector<Value> TakeUnread() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<Value> taken;
    if (!std::exchange(unread_, false)) return taken;
    for (const Value& value : held_) taken.push_back(value.DeepCopy());
    if (kKeeps == MailboxKeeps::kEach) held_.clear();
    return taken;
  }

  // GUI thread: the newest value, taken before or not (a default one before the first).
  Value Take() {
    static_assert(kKeeps == MailboxKeeps::kNewest, "a box that keeps each value hands them out in order");
    std::lock_guard<std::mutex> guard(lock_);
    unread_ = false;
    return held_.empty() ? Value() : held_.back().DeepCopy();
  }

 private:
  std::mutex lock_;
  std::vector<Value> held_;  // the newest alone, or every value not taken yet
  bool unread_ = false;
};
