#pragma once

#include <cstddef>
#include <cstdint>

// The few socket calls the loopback peers make, over POSIX sockets or Windows Sockets.

namespace testpeers {

using PeerSocket = std::intptr_t;
constexpr PeerSocket kNoSocket = -1;

// A socket bound to 127.0.0.1 with a port the system chose; throws when that fails.
PeerSocket BindLoopback(std::uint16_t& port);
bool StartListening(PeerSocket socket, int backlog);
// A connected socket, or kNoSocket when none came within timeoutMs.
PeerSocket AcceptWithin(PeerSocket listener, int timeoutMs);
// True when a read would not block (data, an end or an error) within timeoutMs.
bool WaitReadable(PeerSocket socket, int timeoutMs);
// Bytes received, 0 at the end, negative on an error.
long ReceiveSome(PeerSocket socket, char* buffer, std::size_t capacity);
// Bytes sent, negative on an error (never a signal); an interrupted send is tried again.
long SendSome(PeerSocket socket, const char* data, std::size_t length);
// A send that the other side takes nothing of for that long fails.
void SetSendTimeout(PeerSocket socket, int seconds);
void ShutdownWrite(PeerSocket socket);
void CloseSocket(PeerSocket socket);
// Closes with a reset instead of an orderly end.
void CloseWithReset(PeerSocket socket);

}  // namespace testpeers
