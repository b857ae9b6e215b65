#include "simlink/writer_machine.h"

#include <cstring>

#include "platform/ipc_runtime_dir.h"
#include "platform/test_knobs.h"

const wchar_t kNothingToSendText[] = L"No Station written: nothing to send";
const wchar_t kSimNotReadyText[] = L"No Station written: FS not ready";

namespace {

constexpr std::uint32_t kIdlePauseMs = 10;
constexpr std::uint32_t kConnectPauseMs = 1000;
constexpr std::uint32_t kPollPauseMs = 1000;
constexpr std::uint32_t kRecordPauseMs = 50;
constexpr std::uint32_t kClosePauseMs = 5000;
// "can not send Station!" after this many unchanged acknowledgement reads, and again every so many.
constexpr int kAckWaitsBeforeWarning = 10;
// 0x333E below this: the weather is cleared the first time the simulator is ready.
constexpr std::uint16_t kClearWeatherBelow = 2;

wxString TextOf(std::uint32_t code) { return wxString(FSUIPC::ErrorText(code)); }

// The identifier's UTF-8 bytes, up to four, ending at the first zero.
wxString IcaoOf(const NewWeather& record) {
  std::size_t length = 0;
  while (length < sizeof record.Icao && record.Icao[length] != '\0') ++length;
  return wxString::FromUTF8(record.Icao, length);
}

}  // namespace

WriterMachine::WriterMachine(FSUIPC& link, WriterHandOver& handOver, PollSnapshot& poll,
                             const LinkCancel& stop, WriterProgressMailbox& progress, wxEvtHandler* sink)
    : link_(link), handOver_(handOver), poll_(poll), stop_(stop), progress_(progress, sink) {}

void WriterMachine::Pass() {
  switch (handOver_.State()) {
    case kWriterIdle:
      Pause(kIdlePauseMs);
      break;
    case kWriterConnect:
      ConnectPass();
      break;
    case kWriterConnected:
      PollPass();
      break;
    case kWriterSend:
      SendStations(handOver_.Take());
      break;
    default:
      break;
  }
}

std::uint32_t WriterMachine::OpenLink() {
  const std::uint32_t code = link_.Open(&connected_);
  lastError_ = TextOf(code);
  return code;
}

std::uint32_t WriterMachine::PollSimReady() {
  const std::uint32_t code = link_.GetReadyToFly(&simReady_);
  lastError_ = TextOf(code);
  return code;
}

void WriterMachine::ConnectPass() {
  simReady_ = false;
  poll_.PublishNotReady();
  const std::uint32_t code = OpenLink();
  if (Stopping()) return;
  if (code != kFsuipcOk) {
    progress_.Status(lastError_);
    ReportRefusedFolder();
    link_.Close();
    Pause(kConnectPauseMs);
    return;
  }
  std::string version;
  link_.GetVersionText(&version);
  if (WindSmoothing()) link_.SetWindSmoothing();
  if (Stopping()) return;
  progress_.Status(wxString::FromUTF8(version.c_str()));
  handOver_.Connected();
  if (!Pause(kConnectPauseMs)) return;
  PollPass();
}

// A refused folder reads as no simulator in the status field; the log says why, once for each
// reason, though the connect is tried every second.
void WriterMachine::ReportRefusedFolder() {
  const std::string problem = IpcRuntimeDirProblem();
  if (problem == refusedFolder_) return;
  refusedFolder_ = problem;
  if (!problem.empty()) progress_.Log(wxS("Error: FSUIPC - ") + wxString::FromUTF8(problem));
}

// Ready flag and position go out together, and ready only with the position of this poll.
void WriterMachine::PollPass() {
  const std::uint32_t code = PollSimReady();
  if (Stopping()) return;
  if (code != kFsuipcOk) {
    poll_.PublishNotReady();
    progress_.Status(lastError_);
    link_.Close();
    handOver_.LinkLost();
    return;
  }
  const bool positionRead = link_.ReadPosition(position_) == kFsuipcOk;
  if (Stopping()) return;
  poll_.Publish(PollResult{position_[0], position_[1], simReady_ && positionRead});
  if (simReady_ && !firstReadyDone_) ClearWeatherOnFirstReady();
  if (WindSmoothing()) link_.RefreshWindSmoothing();
  Pause(kPollPauseMs);
}

// Once per life of the thread, not per connection: a reconnect does not clear again.
void WriterMachine::ClearWeatherOnFirstReady() {
  firstReadyDone_ = true;
  if (link_.ReadOffset333E() >= kClearWeatherBelow || Stopping()) return;
  link_.WriteWeatherCommand(kWeatherCommandPrepareClear);
  if (Stopping()) return;
  link_.WriteWeatherCommand(kWeatherCommandClearAll);
}

// The records are the writer's own from here on: a hand-over during the send waits for its end.
void WriterMachine::SendStations(const std::vector<NewWeather>& records) {
  const int count = static_cast<int>(records.size());
  progress_.Label(wxS("Send Station to FS"));
  progress_.Gauge(count, 0);
  progress_.GaugeShown(true);
  // An acknowledgement that cannot be read is a link error, not a value to wait on.
  std::uint32_t previousAck = 0;
  const std::uint32_t ackCode = link_.ReadWeatherAck(&previousAck);
  if (Stopping()) return;
  if (ackCode != kFsuipcOk) return SendFailed(ackCode);
  int written = 0;
  for (int number = 1; number <= count; ++number) {
    if (simReady_) {
      if (!SendRecord(records[number - 1], number, count, &previousAck)) return;
      ++written;
    }
    if (!Pause(kRecordPauseMs)) return;
  }
  progress_.GaugeShown(false);
  if (!Pause(kClosePauseMs)) return;
  const std::uint32_t closeCode = link_.WriteWeatherCommand(kWeatherCommandClose);
  if (Stopping()) return;
  EndSend(closeCode, written, count);
}

bool WriterMachine::SendRecord(const NewWeather& record, int number, int count, std::uint32_t* previousAck) {
  progress_.Gauge(count, number);
  progress_.Label(wxS("Send Station ") + IcaoOf(record) + wxS(", ") +
                  wxString::Format(wxS("%i from %i"), number, count));
  const std::uint32_t code = link_.WriteNewWeather(&record);
  if (Stopping()) return false;
  if (code != kFsuipcOk) {
    SendFailed(code);
    return false;
  }
  int waits = 0;
  const AckWait ack = link_.WaitWeatherAck(*previousAck, [&](std::uint32_t ms) {
    if (!Pause(ms)) return false;
    if (waits > kAckWaitsBeforeWarning) {
      progress_.Label(wxS("can not send Station!"));
      waits = 0;
    }
    ++waits;
    return true;
  });
  if (Stopping() || ack.end == AckWaitEnd::kGivenUp) return false;
  if (ack.end == AckWaitEnd::kReadFailed) {
    SendFailed(ack.code);
    return false;
  }
  *previousAck = ack.ack;
  return true;
}

// The link is left open and the writer polls again; the poll finds out whether it still works.
void WriterMachine::SendFailed(std::uint32_t code) {
  progress_.Status(TextOf(code));
  progress_.SendItem(false);
  handOver_.SendEnded();
}

void WriterMachine::EndSend(std::uint32_t closeCode, int written, int count) {
  if (closeCode != kFsuipcOk) return SendFailed(closeCode);
  progress_.SendItem(true);
  handOver_.SendEnded();
  if (count == 0) {
    progress_.Label(kNothingToSendText);
  } else if (written == 0) {
    progress_.Label(kSimNotReadyText);
  } else {
    progress_.Label(wxS("Success! All Stations written"));
  }
}

// Read afresh at each use: OK or Apply in the options dialog may have handed over new options.
bool WriterMachine::WindSmoothing() const { return handOver_.Options().windSmoothing; }

bool WriterMachine::Pause(std::uint32_t ms) const {
  if (pauseObserver_) pauseObserver_(ms);
  return stop_.Pause(ScaledMicros(ms));
}
