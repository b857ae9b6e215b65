#include "simlink/writer_progress.h"

wxDEFINE_EVENT(EVT_WRITER_PROGRESS, wxThreadEvent);

void WriterProgressPublisher::Label(const wxString& text) {
  current_.Label = text;
  Publish(WriterProgress::kLabel);
}

void WriterProgressPublisher::Gauge(int range, int value) {
  current_.GaugeRange = range;
  current_.GaugeValue = value;
  Publish(WriterProgress::kGauge);
}

void WriterProgressPublisher::GaugeShown(bool shown) {
  current_.GaugeShown = shown;
  Publish(WriterProgress::kGaugeShown);
}

void WriterProgressPublisher::Status(const wxString& text) {
  current_.Status = text;
  Publish(WriterProgress::kStatus);
}

void WriterProgressPublisher::SendItem(bool enabled) {
  current_.SendItemEnabled = enabled;
  Publish(WriterProgress::kSendItem);
}

void WriterProgressPublisher::Log(const wxString& line) {
  current_.LogText = line;
  Publish(WriterProgress::kLog);
}

void WriterProgressPublisher::Publish(WriterProgress::Control control) {
  if (sink_ == nullptr) return;
  current_.Sets = control;
  if (mailbox_.Put(current_.DeepCopy())) wxQueueEvent(sink_, new wxThreadEvent(EVT_WRITER_PROGRESS));
}
