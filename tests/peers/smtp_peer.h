#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "peers/loopback_listener.h"

namespace testpeers {

// How the SMTP peer answers. Replies are whole reply texts with their line ends; a verb without
// an entry gets "250 ok" (DATA "354", QUIT "221"). "." stands for the reply to the end of the data.
struct SmtpScript {
  std::string greeting = "220 peer ready\r\n";
  std::map<std::string, std::string> replies;
  bool silent = false;    // accepts the connection and never says a word
  std::string hangUpAt;   // a verb at which the peer resets the connection instead of answering
  int dripMs = 0;         // above 0: the greeting and every reply go out a byte at a time, this far apart
  std::string deafAfter;  // a verb after whose reply the peer reads nothing more and says nothing
};

// One SMTP session on 127.0.0.1: records every byte the client sends.
class SmtpPeer {
 public:
  explicit SmtpPeer(SmtpScript script = {});
  ~SmtpPeer();

  std::uint16_t Port() const { return listener_.Port(); }
  // Waits for the client to end the session (QUIT answered or the connection closed).
  bool WaitDone(int timeoutMs);
  // Waits for the client's connection.
  bool WaitConnected(int timeoutMs);
  // Everything the client sent, in order.
  std::string Transcript() const;
  // The message between the DATA reply and the end-of-data line, as it travelled.
  std::string Data() const;

 private:
  void Serve();
  bool Converse(PeerSocket fd);  // false when it reset the connection itself
  void Listen(PeerSocket fd);
  bool Say(PeerSocket fd, const std::string& reply);

  SmtpScript script_;
  LoopbackListener listener_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> connected_{false};
  std::atomic<bool> done_{false};
  mutable std::mutex mutex_;
  std::string transcript_;
  std::string data_;
  std::thread thread_;
};

}  // namespace testpeers
