#include "peers/ftp_peer.h"

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

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
  // The port comes in a file: wine starts a Unix program for a Windows test without giving it a
  // handle or a pipe to it.
  portFile_ = root_ + ".port";
  server_ = std::make_unique<ChildProcess>(std::vector<std::string>{
      NUB_SYSTEM_PYTHON, NUB_PEERS_DIR "/ftp_peer.py", root_, kLifetimeS, portFile_});
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
  while (std::chrono::steady_clock::now() < end) {
    std::string line;
    if (std::getline(std::ifstream(portFile_), line) && !line.empty()) {
      port_ = line;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

FtpPeer::~FtpPeer() {
  // Removing the folder also ends a peer that could not be ended as a process.
  server_.reset();
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    std::filesystem::remove(portFile_, ignored);
  }
}

}  // namespace testpeers
