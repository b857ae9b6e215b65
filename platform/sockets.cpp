#include "platform/sockets.h"

#include <chrono>

// The calls both layers make alike, on top of each layer's own wait (WaitFor) and read
// (TakeArrived).

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

TcpClient::~TcpClient() { Close(); }

SocketResult TcpClient::Fail(SocketResult result) {
  Close();
  return result;
}

SocketResult TcpClient::Connect(const std::string& ipv4Address, std::uint16_t port, int timeoutMs) {
  SocketResult result = StartConnect(ipv4Address, port);
  if (result == SocketResult::kPending) {
    result = FinishConnect(timeoutMs);
    if (result == SocketResult::kPending) result = SocketResult::kTimedOut;
  }
  return result == SocketResult::kOk || result == SocketResult::kBadAddress ? result : Fail(result);
}

// A reset ends the read as an orderly end does, and whatever ends it closes the connection.
SocketResult TcpClient::Receive(char* buffer, std::size_t capacity, int timeoutMs, std::size_t& received) {
  received = 0;
  if (!IsOpen()) {
    return SocketResult::kClosed;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const SocketResult taken = TakeArrived(buffer, capacity, received);
    if (taken == SocketResult::kOk) {
      return taken;
    }
    if (taken != SocketResult::kPending) {
      return Fail(taken == SocketResult::kReset ? SocketResult::kClosed : taken);
    }
    const SocketResult waited = WaitFor(Await::kReadable, MsLeft(deadline));
    if (waited != SocketResult::kOk) {
      return Fail(waited);
    }
  }
}

SocketResult TcpClient::ReceiveSome(char* buffer, std::size_t capacity, int waitMs, std::size_t& received) {
  received = 0;
  if (!IsOpen()) {
    return SocketResult::kClosed;
  }
  const SocketResult waited = WaitFor(Await::kReadable, waitMs);
  if (waited != SocketResult::kOk) {
    return waited == SocketResult::kTimedOut ? SocketResult::kPending : waited;
  }
  return TakeArrived(buffer, capacity, received);
}

}  // namespace platform
