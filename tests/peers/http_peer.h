#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "peers/loopback_listener.h"

namespace testpeers {

// One file the HTTP peer serves, and how it breaks off if it does.
struct HttpRoute {
  std::string path;  // as it travels in the request line, "/source/Nubivane%20Lite%20Setup.exe"
  int status = 200;
  std::string body;
  bool announceLength = true;
  std::size_t announcedLength = SIZE_MAX;  // SIZE_MAX: the body's own length
  bool resetAfterBody = false;             // ends the connection with a reset instead of a close
  int silentAfterBodyMs = 0;               // keeps the connection open this long, sending nothing
  bool endless = false;                    // sends the body again and again until the client goes
  int pauseMs = 0;                         // between the repeats of an endless body
  int repeats = 0;                         // when set, an endless body is sent this many times
  std::string head{};                      // when set, sent as it stands instead of the status
                                           // line and the headers
  int silentBeforeHeadMs = 0;              // says nothing this long before the answer
  int resetDelayMs = 200;                  // lets the client take the body in before a reset
};

// An HTTP server on 127.0.0.1; every connection gets one response, then the connection ends.
class HttpPeer {
 public:
  explicit HttpPeer(std::vector<HttpRoute> routes);
  ~HttpPeer();

  std::uint16_t Port() const { return listener_.Port(); }
  std::string BaseUrl() const;  // "http://127.0.0.1:PORT"
  std::vector<std::string> RequestLines() const;

 private:
  void Serve();
  void Answer(PeerSocket fd);

  std::vector<HttpRoute> routes_;
  LoopbackListener listener_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace testpeers
