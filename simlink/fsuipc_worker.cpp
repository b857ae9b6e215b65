#include "simlink/fsuipc_worker.h"

wxDEFINE_EVENT(EVT_WRITER_LABEL, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_GAUGE, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_GAUGE_SHOWN, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_STATUS, wxThreadEvent);
wxDEFINE_EVENT(EVT_WRITER_SEND_ITEM, wxThreadEvent);

// First cut: the interface only; the thread does nothing yet.
struct FSUIPCWorker::Impl {
  OptionData* options = nullptr;
  wxEvtHandler* sink = nullptr;
};

FSUIPCWorker::FSUIPCWorker(OptionData* options, wxEvtHandler* sink)
    : wxThread(wxTHREAD_JOINABLE), impl_(new Impl{options, sink}) {}

FSUIPCWorker::~FSUIPCWorker() { FSUIPC::Close(); }

void FSUIPCWorker::SetOptions(OptionData* options) { impl_->options = options; }

void FSUIPCWorker::GetPosition(double& latitude, double& longitude) const {
  latitude = 0.0;
  longitude = 0.0;
}

bool FSUIPCWorker::IsSimReady() const { return false; }

void FSUIPCWorker::StartConnecting() {}

void FSUIPCWorker::HandOver(std::vector<NewWeather> /*records*/) {}

int FSUIPCWorker::State() const { return kWriterIdle; }

void FSUIPCWorker::RequestStop() {}

wxThreadError FSUIPCWorker::Delete(ExitCode* rc, wxThreadWait waitMode) {
  RequestStop();
  return wxThread::Delete(rc, waitMode);
}

std::recursive_mutex& FSUIPCWorker::LinkLock() { return FSUIPC_Lock(); }

wxThread::ExitCode FSUIPCWorker::Entry() {
  while (!TestDestroy()) wxMilliSleep(10);
  return nullptr;
}
