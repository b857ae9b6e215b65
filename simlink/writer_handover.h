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
//   the option block                        OptionData*       GUI (options dialog) writes; the
//                                                             writer reads one byte atomically
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

// The state word and a mailbox of records. A hand-over is never
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

 private:
  mutable std::mutex lock_;
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
