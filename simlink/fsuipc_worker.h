#pragma once

#include <wx/thread.h>

#include <memory>
#include <mutex>
#include <vector>

#include "simlink/fsuipc.h"
#include "simlink/new_weather.h"
#include "simlink/writer_handover.h"
#include "simlink/writer_progress.h"

// The thread that owns the conversation with the simulator for the whole run of the main window:
// it connects, polls readiness and position once a second, clears the weather the first time the
// simulator is ready, and sends the records handed over to it. Its control updates wait in its
// mailbox, and the sink is told of them by a posted event (simlink/writer_progress.h).
//
// Life, from the GUI thread: construct, Run(), StartConnecting(); HandOver() for each send;
// at the end Delete() (it cuts every pause and the exchange in progress short, then joins) and
// delete the object.
class FSUIPCWorker : public wxThread, public FSUIPC {
 public:
  // Joinable. The sink receives the control updates.
  FSUIPCWorker(const WriterOptions& options, wxEvtHandler* sink);
  ~FSUIPCWorker() override;

  // The control updates not applied yet; the GUI thread takes them on EVT_WRITER_PROGRESS.
  WriterProgressMailbox& Progress();

  // GUI thread, at any time: a copy of the options the writer uses from its next connect or poll.
  void SetOptions(const WriterOptions& options);

  // GUI thread: the aircraft position and the ready flag of the same poll (one snapshot).
  void GetPosition(double& latitude, double& longitude) const;
  bool IsSimReady() const;
  PollResult LastPoll() const;

  // GUI thread: the writer leaves idle and connects.
  void StartConnecting();
  // GUI thread: the records of the next send, in send order. A send under way keeps its own
  // records; the newest hand-over not yet taken wins. Taken once the writer is connected.
  void HandOver(std::vector<NewWeather> records);
  // Any thread: one of WriterState.
  int State() const;

  // Any thread: every pause of the writer and the exchange with the simulator in progress end
  // at once; the thread then leaves Entry.
  void RequestStop();
  // Asks for the stop as above, then joins the thread, whatever state it was in (hides
  // wxThread::Delete, which alone could wait for a hung simulator's exchange and does not join a
  // thread that has just ended).
  wxThreadError Delete(ExitCode* rc = nullptr, wxThreadWait waitMode = wxTHREAD_WAIT_DEFAULT);

  // The link is shared with the manual-weather dialog on the GUI thread: hold this around a
  // whole sequence (a write and the reads that check it) so the writer's exchanges stay out.
  static std::recursive_mutex& LinkLock();

 protected:
  ExitCode Entry() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
