#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "peers/peer_socket.h"

namespace testpeers {
namespace {

int Fd(PeerSocket socket) { return static_cast<int>(socket); }

}  // namespace

PeerSocket BindLoopback(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    throw std::runtime_error("socket");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    throw std::runtime_error("bind");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

bool StartListening(PeerSocket socket, int backlog) { return ::listen(Fd(socket), backlog) == 0; }

PeerSocket AcceptWithin(PeerSocket listener, int timeoutMs) {
  if (!WaitReadable(listener, timeoutMs)) {
    return kNoSocket;
  }
  const int fd = ::accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
  return fd >= 0 ? fd : kNoSocket;
}

bool WaitReadable(PeerSocket socket, int timeoutMs) {
  pollfd entry{Fd(socket), POLLIN, 0};
  return ::poll(&entry, 1, timeoutMs) > 0;
}

long ReceiveSome(PeerSocket socket, char* buffer, std::size_t capacity) {
  return static_cast<long>(::recv(Fd(socket), buffer, capacity, 0));
}

long SendSome(PeerSocket socket, const char* data, std::size_t length) {
  for (;;) {
    const ssize_t n = ::send(Fd(socket), data, length, MSG_NOSIGNAL);
    if (n >= 0 || errno != EINTR) {
      return static_cast<long>(n);
    }
  }
}

void SetSendTimeout(PeerSocket socket, int seconds) {
  const timeval limit{seconds, 0};
  ::setsockopt(Fd(socket), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

void ShutdownWrite(PeerSocket socket) { ::shutdown(Fd(socket), SHUT_WR); }

void CloseSocket(PeerSocket socket) { ::close(Fd(socket)); }

void CloseWithReset(PeerSocket socket) {
  const linger reset{1, 0};
  ::setsockopt(Fd(socket), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::close(Fd(socket));
}

}  // namespace testpeers
