#pragma once

#include <wx/event.h>
#include <wx/string.h>

#include "base/mailbox.h"

// What the writer shows on the main window. Each update sets some of the controls (Sets); the
// other fields still hold what the writer showed there last, but the window leaves those
// controls as they are: the loader and the downloads share the label and the gauge.
struct WriterProgress {
  enum Control : unsigned {
    kLabel = 1u << 0,       // the progress label
    kGauge = 1u << 1,       // the progress gauge's range and value
    kGaugeShown = 1u << 2,  // the progress gauge shown or hidden
    kStatus = 1u << 3,      // status field 2
    kSendItem = 1u << 4,    // menu item 1001 "Sent wx to FS" enabled or disabled
    kLog = 1u << 5,         // a line for the log file, written once
  };

  unsigned Sets = 0;  // the controls of this update
  wxString Label;
  int GaugeRange = 0;
  int GaugeValue = 0;
  bool GaugeShown = false;
  wxString Status;
  bool SendItemEnabled = false;
  wxString LogText;

  bool Changes(Control control) const { return (Sets & control) != 0; }
  WriterProgress DeepCopy() const {
    WriterProgress copy = *this;
    copy.Label = Label.Clone();
    copy.Status = Status.Clone();
    copy.LogText = LogText.Clone();
    return copy;
  }
};

// The writer's updates are few (a handful per record sent), and each one is applied in order.
using WriterProgressMailbox = Mailbox<WriterProgress, MailboxKeeps::kEach>;

// Posted to the sink given to the writer when an update waits in its mailbox and none did before.
wxDECLARE_EVENT(EVT_WRITER_PROGRESS, wxThreadEvent);

// The writer thread's side: each call is one update, put into the mailbox as a copy; the thread
// never touches a window. Without a sink nothing is put or posted.
class WriterProgressPublisher {
 public:
  WriterProgressPublisher(WriterProgressMailbox& mailbox, wxEvtHandler* sink)
      : mailbox_(mailbox), sink_(sink) {}

  void Label(const wxString& text);
  void Gauge(int range, int value);
  void GaugeShown(bool shown);
  void Status(const wxString& text);
  void SendItem(bool enabled);
  void Log(const wxString& line);

 private:
  void Publish(WriterProgress::Control control);

  WriterProgressMailbox& mailbox_;
  wxEvtHandler* sink_;
  WriterProgress current_;
};
