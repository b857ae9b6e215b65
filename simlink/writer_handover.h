#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "simlink/new_weather.h"

// What the GUI thread and the writer thread share, and how each side sees the other's part:
//
//   state word + records of the next send   WriterHandOver    GUI: StartConnecting, Put
//                                           (one lock)        writer: Take, Connected, LinkLost,
//                                                             SendEnded
//   position + ready flag of the last poll  PollSnapshot      writer: Publish; GUI: Read
//                                           (one lock)
//   control updates (label, gauge, status   posted events     writer posts copies; the GUI
//   field 2, item 1001)                     (writer_events.h) thread applies them
//   stop request                            LinkCancel        GUI raises it; every pause and
//                                                             exchange of the writer ends
//   what the writer uses of the options     WriterHandOver    GUI: SetOptions, a copy each time
//                                           (the same lock)   OK or Apply changes them; writer:
//                                                             Options at each connect and poll
//   the link                                FSUIPC_Lock()     both: a whole sequence under it
//
// Everything else of the writer (its flags, the last error, the record being sent) is the
// writer thread's own.

// The writer's state word.
enum WriterState : int {
  kWriterIdle = 0,
  kWriterConnect = 1,    // (re)connecting once a second
  kWriterConnected = 2,  // polling once a second
  kWriterSend = 3,       // a hand-over is waiting or being sent
};

struct OptionData;

// What the writer uses of the user's options, copied out of the option block, which only the GUI
// thread touches.
struct WriterOptions {
  bool windSmoothing = false;
};

WriterOptions WriterOptionsOf(const OptionData& options);

// The state word, a mailbox of records and the writer's copy of the options. A hand-over is never
// lost and never replaces the records of a send under way: the writer takes the vector when it
// starts the send, and every state change of the writer looks at the mailbox under the same lock.
class WriterHandOver {
 public:
  int State() const { return state_.load(std::memory_order_acquire); }

  // GUI thread: idle to connect; no other state changes.
  void StartConnecting();
  // GUI thread: the records of the next send. A vector not yet taken is replaced (newest wins);
  // a connected writer goes to send at once, one that is connecting takes it once connected.
  void Put(std::vector<NewWeather> records);

  // Writer thread, at the start of a send: the waiting records, or an empty vector when the
  // state word was set to send without any.
  std::vector<NewWeather> Take();
  // Writer thread: connected, or a send has ended: send again when records wait, else poll.
  void Connected();
  void SendEnded() { Connected(); }
  // Writer thread: back to connecting; waiting records stay.
  void LinkLost();

  bool HasWaiting() const;

  // GUI thread: the options from now on. Writer thread: the newest ones.
  void SetOptions(const WriterOptions& options);
  WriterOptions Options() const;

 private:
  mutable std::mutex lock_;
  WriterOptions options_;
  std::atomic<int> state_{0};
  std::vector<NewWeather> waiting_;
  bool hasWaiting_ = false;
};

// The aircraft position and the ready flag of one poll, published together so that the GUI
// never sees a ready flag with the position of an earlier poll, nor half a position.
struct PollResult {
  double latitude = 0.0;   // degrees north
  double longitude = 0.0;  // degrees east
  bool simReady = false;
};

class PollSnapshot {
 public:
  void Publish(const PollResult& result);
  // Not ready, the position kept.
  void PublishNotReady();
  PollResult Read() const;

 private:
  mutable std::mutex lock_;
  PollResult result_;
};
