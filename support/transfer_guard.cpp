#include "support/transfer_guard.h"

#include <algorithm>

namespace download {

Io TransferGuard::Going() const {
  if (options_.stop != nullptr && options_.stop->Raised()) return Io::kStopped;
  if (Clock::now() >= deadline_) return Io::kTimedOut;
  return Io::kOk;
}

Io TransferGuard::Waited(Clock::time_point since) const {
  if (options_.waiting) options_.waiting();
  const Io going = Going();
  if (going != Io::kOk) return going;
  return Clock::now() - since >= options_.limits.readTimeout ? Io::kSilent : Io::kOk;
}

int TransferGuard::ReadTimeoutMs() const {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(options_.limits.readTimeout).count());
}

Io Connection::Open(const std::string& address, unsigned short port) {
  const Io going = guard_.Going();
  if (going != Io::kOk) return going;
  platform::SocketResult result = client_.StartConnect(address, port);
  const Clock::time_point since = Clock::now();
  while (result == platform::SocketResult::kPending) {
    result = client_.FinishConnect(kSliceMs);
    if (result != platform::SocketResult::kPending) break;
    const Io waited = guard_.Waited(since);
    if (waited != Io::kOk) return waited;
  }
  return result == platform::SocketResult::kOk ? Io::kOk : Io::kFailed;
}

Io Connection::Send(const std::string& bytes) {
  const Io going = guard_.Going();
  if (going != Io::kOk) return going;
  return client_.SendAll(bytes.data(), bytes.size(), guard_.ReadTimeoutMs()) == platform::SocketResult::kOk
             ? Io::kOk
             : Io::kFailed;
}

Io Connection::ReadLine(std::string& line, std::size_t& budget) {
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      if (end + 1 > budget) return Io::kTooLong;
      budget -= end + 1;
      line.assign(pending_, 0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pending_.erase(0, end + 1);
      return Io::kOk;
    }
    if (pending_.size() > budget) return Io::kTooLong;
    char piece[kPieceBytes];
    std::size_t count = 0;
    const Io received = Receive(piece, sizeof piece, count);
    if (received != Io::kOk) return received;
    pending_.append(piece, count);
  }
}

Io Connection::ReadSome(char* buffer, std::size_t capacity, std::size_t& count) {
  if (!pending_.empty()) {
    count = std::min(capacity, pending_.size());
    std::copy_n(pending_.data(), count, buffer);
    pending_.erase(0, count);
    return Io::kOk;
  }
  return Receive(buffer, capacity, count);
}

Io Connection::Receive(char* buffer, std::size_t capacity, std::size_t& count) {
  count = 0;
  const Io going = guard_.Going();
  if (going != Io::kOk) return going;
  const Clock::time_point since = Clock::now();
  for (;;) {
    switch (client_.ReceiveSome(buffer, capacity, kSliceMs, count)) {
      case platform::SocketResult::kOk:
        return Io::kOk;
      case platform::SocketResult::kPending:
        break;
      case platform::SocketResult::kClosed:
        return Io::kEnded;
      case platform::SocketResult::kReset:
        return Io::kReset;
      default:
        return Io::kFailed;
    }
    const Io waited = guard_.Waited(since);
    if (waited != Io::kOk) return waited;
  }
}

DownloadResult Failure(Io io, DownloadResult otherwise) {
  switch (io) {
    case Io::kStopped:
      return DownloadResult::kStopped;
    case Io::kTimedOut:
      return DownloadResult::kTimedOut;
    case Io::kTooLong:
      return DownloadResult::kTooLarge;
    default:
      return otherwise;
  }
}

}  // namespace download
