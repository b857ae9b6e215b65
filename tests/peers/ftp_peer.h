#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "peers/child_process.h"

namespace testpeers {

// A real FTP server (ftp_peer.py over Debian's pyftpdlib) on 127.0.0.1 with a free port,
// serving the given files from a folder of its own to anonymous users. Besides them it serves
// "endless-<bytes>-<pause ms>", "stall-<bytes>" and "broken-<bytes>", and serves a file named
// "cut-..." only in part and one named "nosize-..." without its size (see ftp_peer.py).
class FtpPeer {
 public:
  explicit FtpPeer(const std::vector<std::pair<std::string, std::string>>& files);
  ~FtpPeer();
  FtpPeer(const FtpPeer&) = delete;
  FtpPeer& operator=(const FtpPeer&) = delete;

  bool Started() const { return !port_.empty(); }
  std::string BaseUrl() const { return "ftp://127.0.0.1:" + port_; }

 private:
  std::string root_;
  std::string portFile_;
  std::unique_ptr<ChildProcess> server_;
  std::string port_;
};

}  // namespace testpeers
