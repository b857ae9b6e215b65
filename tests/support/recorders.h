#pragma once

#include <wx/log.h>

#include <string>
#include <vector>

#include "support/support_ui.h"

namespace supporttest {

struct ShownMessage {
  wxString text;
  wxString caption;
  long style;
  wxWindow* parent;
};

struct ProgressEvent {
  std::string kind;  // "show", "update", "pulse", "close"
  int value;
  wxString text;
};

// Takes the place of the windows for the life of the object and records what they were asked.
class RecordingUi : public SupportUi {
 public:
  RecordingUi() : previous_(InstallSupportUi(this)) {}
  ~RecordingUi() override { InstallSupportUi(previous_); }

  void ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent) override {
    messages.push_back({text, caption, style, parent});
  }
  std::unique_ptr<ProgressView> ShowProgress(const wxString& title, const wxString& message, int maximum,
                                             wxWindow*, int style) override {
    progressTitle = title;
    progressStyle = style;
    events.push_back({"show", maximum, message});
    return std::make_unique<View>(events);
  }

  std::vector<ShownMessage> messages;
  std::vector<ProgressEvent> events;
  wxString progressTitle;
  int progressStyle = 0;

 private:
  class View : public ProgressView {
   public:
    explicit View(std::vector<ProgressEvent>& events) : events_(events) {}
    ~View() override { events_.push_back({"close", 0, {}}); }
    void Update(int value, const wxString& message) override {
      events_.push_back({"update", value, message});
    }
    void Pulse(const wxString& message) override { events_.push_back({"pulse", 0, message}); }

   private:
    std::vector<ProgressEvent>& events_;
  };

  SupportUi* previous_;
};

struct LoggedEntry {
  wxLogLevel level;
  wxString text;
};

// Takes the place of the library's log target and records every entry that reaches it.
class RecordingLog : public wxLog {
 public:
  RecordingLog() : previous_(wxLog::SetActiveTarget(this)) {}
  ~RecordingLog() override { wxLog::SetActiveTarget(previous_); }

  std::vector<LoggedEntry> entries;

 protected:
  void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
    entries.push_back({level, text});
  }

 private:
  wxLog* previous_;
};

}  // namespace supporttest
