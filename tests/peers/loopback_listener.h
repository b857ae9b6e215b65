#pragma once

#include <cstdint>
#include <string>

#include "peers/peer_socket.h"

namespace testpeers {

// A listening TCP socket on 127.0.0.1 with a port the kernel chose.
class LoopbackListener {
 public:
  explicit LoopbackListener(int backlog = 8);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  std::uint16_t Port() const { return port_; }
  // A connected socket, or kNoSocket when none came within timeoutMs.
  PeerSocket Accept(int timeoutMs);

 private:
  PeerSocket fd_ = kNoSocket;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 where nothing listens: bound once to learn a free number, then closed.
std::uint16_t ClosedLoopbackPort();

// Reads until the text holds needle or timeoutMs passed; false on timeout or a closed peer.
bool ReadUntil(PeerSocket fd, std::string& text, const std::string& needle, int timeoutMs);
bool WriteAll(PeerSocket fd, const std::string& bytes);

}  // namespace testpeers
