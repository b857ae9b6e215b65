#include "simlink/writer_events.h"

wxDEFINE_EVENT(EVT_WRITER_LABEL, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_GAUGE, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_GAUGE_SHOWN, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_STATUS, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_SEND_ITEM, wxThreadEvent);

void WriterEvents::Label(const wxString& text) const { Post(EVT_WRITER_LABEL, text, 0, 0); }

void WriterEvents::Gauge(int range, int value) const { Post(EVT_WRITER_GAUGE, wxString(), value, range); }

void WriterEvents::GaugeShown(bool shown) const {
  Post(EVT_WRITER_GAUGE_SHOWN, wxString(), shown ? 1 : 0, 0);
}

void WriterEvents::Status(const wxString& text) const { Post(EVT_WRITER_STATUS, text, 0, 0); }

void WriterEvents::SendItem(bool enabled) const {
  Post(EVT_WRITER_SEND_ITEM, wxString(), enabled ? 1 : 0, 0);
}

void WriterEvents::Post(wxEventType type, const wxString& text, int number, long extra) const {
  if (sink_ == nullptr) return;
  auto* event = new wxThreadEvent(type);
  event->SetString(text.Clone());
  event->SetInt(number);
  event->SetExtraLong(extra);
  wxQueueEvent(sink_, event);
}
