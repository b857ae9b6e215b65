#include "peers/ftp_peer.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "common/test_paths.h"

namespace testpeers {
namespace {

constexpr int kStartMs = 10000;
constexpr char kLifetimeS[] = "120";  // the server ends by itself should a test never end it

}  // namespace

FtpPeer::FtpPeer(const std::vector<std::pair<std::string, std::string>>& files) {
  root_ = testsupport::MakeTempDir("nub-ftp");
  for (const auto& [name, bytes] : files) {
    std::ofstream(root_ + "/" + name, std::ios::binary) << bytes;
  }
  server_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{NUB_SYSTEM_PYTHON, NUB_PEERS_DIR "/ftp_peer.py", root_, kLifetimeS});
  std::string line;
  if (server_->Started() && server_->ReadLine(line, kStartMs)) {
    port_ = line;
  }
}

FtpPeer::~FtpPeer() {
  server_.reset();
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
}

}  // namespace testpeers
