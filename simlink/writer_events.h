#pragma once

#include <wx/event.h>
#include <wx/string.h>

// Control updates of the writer thread, posted to the sink given to it (the main window applies
// them; the thread never touches a window), in the order they happen:
//   EVT_WRITER_LABEL        GetString(): text of the progress label
//   EVT_WRITER_GAUGE        GetExtraLong(): range, GetInt(): value of the progress gauge
//   EVT_WRITER_GAUGE_SHOWN  GetInt(): 1 show the gauge, 0 hide it
//   EVT_WRITER_STATUS       GetString(): text of status field 2
//   EVT_WRITER_SEND_ITEM    GetInt(): 1 enable menu item 1001 "Sent wx to FS", 0 disable it
wxDECLARE_EVENT(EVT_WRITER_LABEL, wxThreadEvent);
wxDECLARE_EVENT(EVT_WRITER_GAUGE, wxThreadEvent);
wxDECLARE_EVENT(EVT_WRITER_GAUGE_SHOWN, wxThreadEvent);
wxDECLARE_EVENT(EVT_WRITER_STATUS, wxThreadEvent);
wxDECLARE_EVENT(EVT_WRITER_SEND_ITEM, wxThreadEvent);

// Posts each update as its own event; texts are copied deep, so nothing is shared with the
// writer thread afterwards. Without a sink nothing is posted.
class WriterEvents {
 public:
  explicit WriterEvents(wxEvtHandler* sink) : sink_(sink) {}

  void Label(const wxString& text) const;
  void Gauge(int range, int value) const;
  void GaugeShown(bool shown) const;
  void Status(const wxString& text) const;
  void SendItem(bool enabled) const;

 private:
  void Post(wxEventType type, const wxString& text, int number, long extra) const;

  wxEvtHandler* sink_;
};
