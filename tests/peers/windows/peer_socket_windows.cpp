#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

#include "peers/peer_socket.h"

namespace testpeers {
namespace {

SOCKET Native(PeerSocket socket) { return static_cast<SOCKET>(socket); }

void StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw std::runtime_error("WSAStartup");
}

}  // namespace

PeerSocket BindLoopback(std::uint16_t& port) {
  StartSockets();
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == INVALID_SOCKET) {
    throw std::runtime_error("socket");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(socket);
    throw std::runtime_error("bind");
  }
  int length = sizeof address;
  ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  port = ::ntohs(address.sin_port);
  return static_cast<PeerSocket>(socket);
}

bool StartListening(PeerSocket socket, int backlog) { return ::listen(Native(socket), backlog) == 0; }

PeerSocket AcceptWithin(PeerSocket listener, int timeoutMs) {
  if (!WaitReadable(listener, timeoutMs)) {
    return kNoSocket;
  }
  const SOCKET accepted = ::accept(Native(listener), nullptr, nullptr);
  return accepted == INVALID_SOCKET ? kNoSocket : static_cast<PeerSocket>(accepted);
}

bool WaitReadable(PeerSocket socket, int timeoutMs) {
  WSAPOLLFD entry{};
  entry.fd = Native(socket);
  entry.events = POLLRDNORM;
  return ::WSAPoll(&entry, 1, timeoutMs) > 0;
}

long ReceiveSome(PeerSocket socket, char* buffer, std::size_t capacity) {
  return ::recv(Native(socket), buffer, static_cast<int>(capacity < 0x40000000 ? capacity : 0x40000000), 0);
}

long SendSome(PeerSocket socket, const char* data, std::size_t length) {
  return ::send(Native(socket), data, static_cast<int>(length < 0x40000000 ? length : 0x40000000), 0);
}

void SetSendTimeout(PeerSocket socket, int seconds) {
  const DWORD limitMs = static_cast<DWORD>(seconds) * 1000;
  ::setsockopt(Native(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limitMs), sizeof limitMs);
}

void ShutdownWrite(PeerSocket socket) { ::shutdown(Native(socket), SD_SEND); }

void CloseSocket(PeerSocket socket) { ::closesocket(Native(socket)); }

void CloseWithReset(PeerSocket socket) {
  const linger reset{1, 0};
  ::setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
  ::closesocket(Native(socket));
}

}  // namespace testpeers
