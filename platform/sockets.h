#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A TCP client for the error-report mail and the downloads: Windows Sockets on Windows, POSIX sockets
// elsewhere. Every wait is bounded, a send never raises SIGPIPE, and once an operation has failed the
// connection is closed, so later sends are skipped instead of failing one by one. The calls built on the
// system's wait and read are shared (sockets.cpp); each layer makes those two in its own file.

namespace platform {

enum class SocketResult {
  kOk,
  kBadAddress,     // not an IPv4 address in dotted-decimal text, or port 0
  kConnectFailed,  // refused or unreachable
  kTimedOut,
  kClosed,   // the peer closed the connection, or it was already closed
  kFailed,   // any other socket error
  kPending,  // not yet: nothing arrived, or the connection is still being made (the sliced calls)
  kReset,    // the peer reset the connection (ReceiveSome)
};

class TcpClient {
 public:
  TcpClient() = default;
  ~TcpClient();
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  SocketResult Connect(const std::string& ipv4Address, std::uint16_t port, int timeoutMs);
  // Sends every byte, however many pieces the kernel takes them in. timeoutMs bounds each stall,
  // not the whole send, so that a long body on a slow line still goes through.
  SocketResult SendAll(const char* data, std::size_t length, int timeoutMs);
  // Waits for at least one byte; received is the number of bytes put into buffer.
  SocketResult Receive(char* buffer, std::size_t capacity, int timeoutMs, std::size_t& received);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // The same in slices, for a caller that must do something else between them: no call waits
  // longer than its waitMs, and a failure leaves the connection for the caller to close.
  // StartConnect: kOk once connected, kPending while the system connects (FinishConnect waits).
  SocketResult StartConnect(const std::string& ipv4Address, std::uint16_t port);
  SocketResult FinishConnect(int waitMs);
  // kOk with received > 0; kPending when nothing came; kClosed at an orderly end; kReset when the
  // peer reset the connection, even after data (a reset is never taken for an end).
  SocketResult ReceiveSome(char* buffer, std::size_t capacity, int waitMs, std::size_t& received);
  // kOk with sent > 0 (some of the bytes, maybe not all); kPending when the connection took nothing
  // within waitMs; kClosed when the peer has gone.
  SocketResult SendSome(const char* data, std::size_t length, int waitMs, std::size_t& sent);

 private:
  enum class Await { kReadable, kWritable };

  SocketResult Fail(SocketResult result);
  // Waits up to timeoutMs for the socket to be ready: kOk, kTimedOut or kFailed.
  SocketResult WaitFor(Await readiness, int timeoutMs);
  // What has arrived, without waiting: kOk with received > 0, kPending when nothing has, kClosed
  // at an orderly end, kReset or kFailed. Leaves the connection open whatever happened.
  SocketResult TakeArrived(char* buffer, std::size_t capacity, std::size_t& received);

  std::intptr_t fd_ = -1;  // the socket; -1 (Windows: INVALID_SOCKET) when none
};

// The IPv4 address of a host name (or of an address in dotted-decimal text), as that text. False
// when the name has none. Asks the system's resolver, which may wait on its own.
bool ResolveIPv4(const std::string& host, std::string& address);

}  // namespace platform
