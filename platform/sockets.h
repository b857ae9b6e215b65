#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A TCP client for the error-report mail: Windows Sockets on Windows, POSIX sockets elsewhere. Every wait is
// bounded, a send never raises SIGPIPE, and once an operation has failed the connection is closed, so later
// sends are skipped instead of failing one by one.

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

 private:
  SocketResult Fail(SocketResult result);
  SocketResult WaitFor(short events, int timeoutMs);

  std::intptr_t fd_ = -1;  // the socket; -1 (Windows: INVALID_SOCKET) when none
};

// The IPv4 address of a host name (or of an address in dotted-decimal text), as that text. False
// when the name has none. Asks the system's resolver, which may wait on its own.
bool ResolveIPv4(const std::string& host, std::string& address);

// Bounds every read on a socket another library opened (the GUI library's HTTP and FTP sockets):
// a read that gets nothing for that long fails. True when the system's bound holds for that
// library's reads; false when the library's own wait has to bound them (on Windows it keeps its
// sockets non-blocking and waits for data itself).
bool SetReceiveTimeout(std::intptr_t socket, int seconds);

// A second descriptor of a socket another library opened, valid until CloseSocketCopy even when
// that library closes its own; -1 when none could be made. Cutting either ends every transfer on
// the connection at once.
std::intptr_t CopySocket(std::intptr_t socket);
void CutSocket(std::intptr_t socket);
void CloseSocketCopy(std::intptr_t socket);

// What another library has taken from a connection so far: the bytes that arrived, less those
// still waiting to be read. Never more than was taken; 0 when the system cannot tell.
std::uint64_t BytesTaken(std::intptr_t socket);

// True when the peer of a socket another library opened ended the connection with a reset rather
// than in order. The GUI library reports both as the connection's end on Windows.
bool ConnectionWasReset(std::intptr_t socket);

}  // namespace platform
