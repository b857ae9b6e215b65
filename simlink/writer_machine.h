#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/link_cancel.h"
#include "simlink/fsuipc.h"
#include "simlink/new_weather.h"
#include "simlink/writer_handover.h"
#include "simlink/writer_progress.h"

// The writer's work, one pass at a time, by the state word: connect once a second, poll
// readiness and position once a second, clear the weather the first time the simulator is
// ready, send the records handed over. Plain code: FSUIPCWorker runs it on its thread, tests run
// it on theirs.
//
// Every pause and every exchange ends as soon as the stop is raised (the stop is also the link
// cancel of the thread running the machine); a pass cut short that way reports nothing more.
class WriterMachine {
 public:
  // The control updates go into progress, and the sink is told when they wait there.
  WriterMachine(FSUIPC& link, WriterHandOver& handOver, PollSnapshot& poll, const LinkCancel& stop,
                WriterProgressMailbox& progress, wxEvtHandler* sink);

  void Pass();

  // Tests: told the length of every pause the machine asks for, before it is taken.
  void ObservePauses(std::function<void(std::uint32_t ms)> observer) { pauseObserver_ = std::move(observer); }

  // The writer thread's own view.
  const wxString& LastError() const { return lastError_; }
  bool SimReady() const { return simReady_; }
  bool FirstReadyDone() const { return firstReadyDone_; }

 private:
  std::uint32_t OpenLink();
  std::uint32_t PollSimReady();
  void ConnectPass();
  void ReportRefusedFolder();
  void PollPass();
  void ClearWeatherOnFirstReady();
  void SendStations(const std::vector<NewWeather>& records);
  // False when a stop was raised, or the link failed (reported); records written counted.
  bool SendRecord(const NewWeather& record, int number, int count, std::uint32_t* previousAck);
  void EndSend(std::uint32_t closeCode, int written, int count);
  void SendFailed(std::uint32_t code);

  bool WindSmoothing() const;
  // The writer's pauses scale with the link's time knob (tests); false when stopped.
  bool Pause(std::uint32_t ms) const;
  bool Stopping() const { return stop_.Raised(); }

  FSUIPC& link_;
  WriterHandOver& handOver_;
  PollSnapshot& poll_;
  const LinkCancel& stop_;
  WriterProgressPublisher progress_;
  std::function<void(std::uint32_t)> pauseObserver_;

  wxString lastError_;
  std::string refusedFolder_;  // the reason last logged, so that each is logged once
  double position_[2] = {0.0, 0.0};
  bool connected_ = false;
  bool simReady_ = false;
  bool firstReadyDone_ = false;
};

// Texts of a send that wrote no record: the link worked, but nothing reached the simulator.
extern const wchar_t kNothingToSendText[];
extern const wchar_t kSimNotReadyText[];
