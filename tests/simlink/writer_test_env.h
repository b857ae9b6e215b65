#pragma once

#include <wx/app.h>
#include <wx/event.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link_test_env.h"
#include "simlink/new_weather.h"
#include "simlink/writer_progress.h"

// Stands in for the main window: records each control update of the writer as one line, the way
// a person would read the controls change ("label Send Station EDDB, 1 from 3", "gauge 3/1",
// "gauge shown", "status not connected", "item on"). It reads the updates from its own mailbox
// (Box(), for a machine the test runs) or from the one a writer thread holds (Follow).
class ControlRecorder : public wxEvtHandler {
 public:
  ControlRecorder() {
    Bind(EVT_WRITER_PROGRESS, [this](wxThreadEvent&) {
      for (const WriterProgress& update : box_->TakeUnread()) Record(update);
    });
  }

  WriterProgressMailbox& Box() { return own_; }
  // The mailbox to read from now on; nullptr: its own again (before the followed one goes).
  void Follow(WriterProgressMailbox* box) { box_ = box != nullptr ? box : &own_; }

  // GUI side: applies what the writer posted so far. The application's call takes every
  // handler with pending events (here only recorders), each one's own call only one event.
  void Drain() {
    wxAppConsole* app = wxAppConsole::GetInstance();
    while (app->HasPendingEvents()) app->ProcessPendingEvents();
  }
  // Everything since the last call, drained first.
  std::vector<std::string> TakeLines() {
    Drain();
    std::vector<std::string> lines;
    lines.swap(fresh_);
    return lines;
  }
  const std::vector<std::string>& AllLines() const { return all_; }
  bool Saw(const std::string& line) const {
    for (const std::string& seen : all_)
      if (seen == line) return true;
    return false;
  }

 private:
  void Record(const WriterProgress& update) {
    if (update.Changes(WriterProgress::kLabel)) Add("label " + update.Label);
    if (update.Changes(WriterProgress::kGauge))
      Add(wxString::Format("gauge %d/%d", update.GaugeRange, update.GaugeValue));
    if (update.Changes(WriterProgress::kGaugeShown)) Add(update.GaugeShown ? "gauge shown" : "gauge hidden");
    if (update.Changes(WriterProgress::kStatus)) Add("status " + update.Status);
    if (update.Changes(WriterProgress::kSendItem)) Add(update.SendItemEnabled ? "item on" : "item off");
    if (update.Changes(WriterProgress::kLog)) Add("log " + update.LogText);
  }

  void Add(const wxString& line) {
    fresh_.push_back(line.utf8_string());
    all_.push_back(line.utf8_string());
  }

  WriterProgressMailbox own_;
  WriterProgressMailbox* box_ = &own_;
  std::vector<std::string> fresh_;
  std::vector<std::string> all_;
};

inline NewWeather RecordOf(const char* icao) {
  NewWeather record;
  ClearNewWeather(&record);
  record.Command = kWeatherCommandReportRecord;
  std::memcpy(record.Icao, icao, std::min<std::size_t>(std::strlen(icao), sizeof record.Icao));
  return record;
}

inline std::vector<NewWeather> RecordsOf(const std::vector<const char*>& icaos) {
  std::vector<NewWeather> records;
  for (const char* icao : icaos) records.push_back(RecordOf(icao));
  return records;
}

// The stand-in's events of one kind, as "EDDB" for records and the value for the others.
inline std::vector<std::string> StubEvents(const SimStub& stub, const std::string& kind) {
  std::vector<std::string> seen;
  for (const SimStubEvent& event : stub.Events()) {
    if (event.kind != kind) continue;
    seen.push_back(kind == "record" ? event.icao
                                    : std::to_string(event.offset) + "=" + std::to_string(event.value));
  }
  return seen;
}

inline std::string Command(std::uint32_t word) { return std::to_string(0xC800) + "=" + std::to_string(word); }

// Polls the condition, draining the recorder between looks; false when the time ran out.
inline bool WaitUntil(ControlRecorder& controls, const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    controls.Drain();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
