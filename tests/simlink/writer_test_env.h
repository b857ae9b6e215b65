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
#include "simlink/writer_events.h"

// Stands in for the main window: records each control update of the writer as one line, the way
// a person would read the controls change ("label Send Station EDDB, 1 from 3", "gauge 3/1",
// "gauge shown", "status not connected", "item on").
class ControlRecorder : public wxEvtHandler {
 public:
  ControlRecorder() {
    Bind(EVT_WRITER_LABEL, [this](wxThreadEvent& e) { Add("label " + e.GetString()); });
    Bind(EVT_WRITER_GAUGE,
         [this](wxThreadEvent& e) { Add(wxString::Format("gauge %ld/%d", e.GetExtraLong(), e.GetInt())); });
    Bind(EVT_WRITER_GAUGE_SHOWN,
         [this](wxThreadEvent& e) { Add(e.GetInt() == 1 ? "gauge shown" : "gauge hidden"); });
    Bind(EVT_WRITER_STATUS, [this](wxThreadEvent& e) { Add("status " + e.GetString()); });
    Bind(EVT_WRITER_SEND_ITEM, [this](wxThreadEvent& e) { Add(e.GetInt() == 1 ? "item on" : "item off"); });
  }

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
  void Add(const wxString& line) {
    fresh_.push_back(line.utf8_string());
    all_.push_back(line.utf8_string());
  }

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
