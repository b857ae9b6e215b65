#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "platform/sockets.h"
#include "support/download.h"

// The waits of one download. Each is cut into slices; between them the caller's waiting hook runs
// and the stop, the deadline and the read time-out are looked at, so none of them waits for a
// read to end. All of it runs on the downloading thread; only the stop is raised from elsewhere.

namespace download {

using Clock = std::chrono::steady_clock;

// The most one read of a download takes.
constexpr std::size_t kPieceBytes = 4096;
// The longest any wait of a download goes without asking the caller's waiting hook and looking at
// the stop and the deadline.
constexpr int kSliceMs = 25;

// Why an exchange on a connection did not give what was wanted.
enum class Io { kOk, kEnded, kReset, kSilent, kFailed, kTooLong, kStopped, kTimedOut };

class TransferGuard {
 public:
  // options must outlive the guard.
  TransferGuard(const DownloadOptions& options, Clock::time_point deadline)
      : options_(options), deadline_(deadline) {}

  // Whether the download may go on at all: kStopped, kTimedOut or kOk.
  Io Going() const;
  // After a slice in which nothing came, of a wait that began at since: runs the waiting hook,
  // then says whether the wait may go on (kSilent once the read time-out has passed).
  Io Waited(Clock::time_point since) const;
  int ReadTimeoutMs() const;

 private:
  const DownloadOptions& options_;
  const Clock::time_point deadline_;
};

// Where a resource's bytes are read from: the connection itself, or a decoder over it.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // At least one byte and at most capacity; kEnded once the resource has ended in order.
  virtual Io ReadSome(char* buffer, std::size_t capacity, std::size_t& count) = 0;
};

// One TCP connection of a download, every wait of it kept by the guard. Every read is ours, so a
// reset is seen wherever it comes; what arrived beyond a line waits for the next read.
class Connection final : public ByteSource {
 public:
  explicit Connection(const TransferGuard& guard) : guard_(guard) {}

  Io Open(const std::string& address, unsigned short port);
  // Requests and commands are far smaller than any send buffer: a send does not wait.
  Io Send(const std::string& bytes);
  // One line without its end ("\r\n" or "\n"); budget is what the lines of one head may still
  // take, so that a head that never ends is refused once it has taken that much.
  Io ReadLine(std::string& line, std::size_t& budget);
  // At least one byte and at most capacity, what the head left over first; kEnded when the
  // server closed the connection in order.
  Io ReadSome(char* buffer, std::size_t capacity, std::size_t& count) override;

 private:
  Io Receive(char* buffer, std::size_t capacity, std::size_t& count);

  const TransferGuard& guard_;
  platform::TcpClient client_;
  std::string pending_;
};

// A stop, the deadline and an endless head say why an exchange ended, whatever stage it was in;
// anything else ends it as otherwise.
DownloadResult Failure(Io io, DownloadResult otherwise);

}  // namespace download
