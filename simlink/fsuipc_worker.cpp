#include "simlink/fsuipc_worker.h"

#include <utility>

#include "base/thread_join.h"
#include "platform/link_cancel.h"
#include "simlink/writer_machine.h"

struct FSUIPCWorker::Impl {
  Impl(FSUIPC& link, wxEvtHandler* sink) : machine(link, handOver, poll, stop, progress, sink) {}

  LinkCancel stop;
  WriterProgressMailbox progress;
  WriterHandOver handOver;
  PollSnapshot poll;
  WriterMachine machine;
};

FSUIPCWorker::FSUIPCWorker(const WriterOptions& options, wxEvtHandler* sink)
    : wxThread(wxTHREAD_JOINABLE), impl_(std::make_unique<Impl>(*this, sink)) {
  SetOptions(options);
}

FSUIPCWorker::~FSUIPCWorker() { FSUIPC::Close(); }

WriterProgressMailbox& FSUIPCWorker::Progress() { return impl_->progress; }

void FSUIPCWorker::SetOptions(const WriterOptions& options) { impl_->handOver.SetOptions(options); }

void FSUIPCWorker::GetPosition(double& latitude, double& longitude) const {
  const PollResult poll = impl_->poll.Read();
  latitude = poll.latitude;
  longitude = poll.longitude;
}

bool FSUIPCWorker::IsSimReady() const { return impl_->poll.Read().simReady; }

PollResult FSUIPCWorker::LastPoll() const { return impl_->poll.Read(); }

void FSUIPCWorker::StartConnecting() { impl_->handOver.StartConnecting(); }

void FSUIPCWorker::HandOver(std::vector<NewWeather> records) { impl_->handOver.Put(std::move(records)); }

int FSUIPCWorker::State() const { return impl_->handOver.State(); }

void FSUIPCWorker::RequestStop() { impl_->stop.Raise(); }

wxThreadError FSUIPCWorker::Delete(ExitCode* rc, wxThreadWait waitMode) {
  RequestStop();
  return DeleteJoined(*this, rc, waitMode);
}

std::recursive_mutex& FSUIPCWorker::LinkLock() { return FSUIPC_Lock(); }

wxThread::ExitCode FSUIPCWorker::Entry() {
  ScopedLinkCancel bound(&impl_->stop);
  while (!TestDestroy() && !impl_->stop.Raised()) impl_->machine.Pass();
  return nullptr;
}
