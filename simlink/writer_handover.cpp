#include "simlink/writer_handover.h"

#include <utility>

#include "options/option_data.h"

using Guard = std::lock_guard<std::mutex>;

void WriterHandOver::StartConnecting() {
  Guard guard(lock_);
  if (state_.load() == kWriterIdle) state_.store(kWriterConnect, std::memory_order_release);
}

void WriterHandOver::Put(std::vector<NewWeather> records) {
  Guard guard(lock_);
  waiting_ = std::move(records);
  hasWaiting_ = true;
  if (state_.load() == kWriterConnected) state_.store(kWriterSend, std::memory_order_release);
}

std::vector<NewWeather> WriterHandOver::Take() {
  Guard guard(lock_);
  hasWaiting_ = false;
  return std::exchange(waiting_, {});
}

void WriterHandOver::Connected() {
  Guard guard(lock_);
  state_.store(hasWaiting_ ? kWriterSend : kWriterConnected, std::memory_order_release);
}

void WriterHandOver::LinkLost() {
  Guard guard(lock_);
  state_.store(kWriterConnect, std::memory_order_release);
}

bool WriterHandOver::HasWaiting() const {
  Guard guard(lock_);
  return hasWaiting_;
}

void WriterHandOver::SetOptions(const WriterOptions& options) {
  Guard guard(lock_);
  options_ = options;
}

WriterOptions WriterHandOver::Options() const {
  Guard guard(lock_);
  return options_;
}

WriterOptions WriterOptionsOf(const OptionData& options) {
  return WriterOptions{options.FSUIPCWindSmoothing};
}

void PollSnapshot::Publish(const PollResult& result) {
  Guard guard(lock_);
  result_ = result;
}

void PollSnapshot::PublishNotReady() {
  Guard guard(lock_);
  result_.simReady = false;
}

PollResult PollSnapshot::Read() const {
  Guard guard(lock_);
  return result_;
}
