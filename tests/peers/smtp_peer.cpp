#include "peers/smtp_peer.h"

#include <cctype>
#include <chrono>

namespace testpeers {
namespace {

constexpr int kPollMs = 50;
constexpr int kSessionMs = 10000;

std::string VerbOf(const std::string& line) {
  std::string verb;
  for (const char c : line) {
    if (c == ' ' || c == ':' || c == '\r') {
      break;
    }
    verb += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return verb;
}

}  // namespace

SmtpPeer::SmtpPeer(SmtpScript script) : script_(std::move(script)), thread_([this] { Serve(); }) {}

SmtpPeer::~SmtpPeer() {
  stop_ = true;
  thread_.join();
}

bool SmtpPeer::WaitDone(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done_ && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done_;
}

bool SmtpPeer::WaitConnected(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!connected_ && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return connected_;
}

std::string SmtpPeer::Transcript() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return transcript_;
}

std::string SmtpPeer::Data() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return data_;
}

void SmtpPeer::Serve() {
  PeerSocket fd = kNoSocket;
  while (!stop_ && fd == kNoSocket) {
    fd = listener_.Accept(kPollMs);
  }
  if (fd == kNoSocket) {
    return;
  }
  connected_ = true;
  if (script_.silent) {
    Listen(fd);
  } else {
    if (!Converse(fd)) {
      done_ = true;
      return;  // already reset
    }
  }
  CloseSocket(fd);
  done_ = true;
}

// Keeps reading, so that the client's sends never block, and answers nothing.
void SmtpPeer::Listen(PeerSocket fd) {
  while (!stop_) {
    if (!WaitReadable(fd, kPollMs)) {
      continue;
    }
    char buffer[4096];
    const long n = ReceiveSome(fd, buffer, sizeof buffer);
    if (n <= 0) {
      return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    transcript_.append(buffer, static_cast<std::size_t>(n));
  }
}

// A dripped reply ends early when the peer is being destroyed or the client has gone.
bool SmtpPeer::Say(PeerSocket fd, const std::string& reply) {
  if (script_.dripMs <= 0) {
    return WriteAll(fd, reply);
  }
  for (const char c : reply) {
    if (stop_ || !WriteAll(fd, std::string(1, c))) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(script_.dripMs));
  }
  return true;
}

bool SmtpPeer::Converse(PeerSocket fd) {
  const auto reply = [this](const std::string& verb) {
    const auto it = script_.replies.find(verb);
    if (it != script_.replies.end()) {
      return it->second;
    }
    return std::string(verb == "DATA" ? "354 go ahead\r\n" : verb == "QUIT" ? "221 bye\r\n" : "250 ok\r\n");
  };
  if (!Say(fd, script_.greeting)) {
    return true;
  }
  std::string pending;
  for (;;) {
    if (!ReadUntil(fd, pending, "\r\n", kSessionMs)) {
      return true;
    }
    const std::size_t end = pending.find("\r\n") + 2;
    const std::string line = pending.substr(0, end);
    pending.erase(0, end);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      transcript_ += line;
    }
    const std::string verb = VerbOf(line);
    if (verb == script_.hangUpAt) {
      CloseWithReset(fd);
      return false;
    }
    const std::string answer = reply(verb);
    if (!Say(fd, answer)) {
      return true;
    }
    if (verb == "QUIT") {
      return true;
    }
    if (!script_.deafAfter.empty() && verb == script_.deafAfter) {
      while (!stop_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      }
      return true;
    }
    if (verb != "DATA" || answer.compare(0, 3, "354") != 0) {
      continue;
    }
    // The data ends with a line holding a single dot; the header follows DATA directly.
    pending.insert(0, "\r\n");
    if (!ReadUntil(fd, pending, "\r\n.\r\n", kSessionMs)) {
      std::lock_guard<std::mutex> lock(mutex_);
      transcript_ += pending.substr(2);
      return true;
    }
    const std::size_t dataEnd = pending.find("\r\n.\r\n");
    {
      std::lock_guard<std::mutex> lock(mutex_);
      data_ = pending.substr(2, dataEnd + 5 - 2);
      transcript_ += data_;
    }
    pending.erase(0, dataEnd + 5);
    if (!Say(fd, reply("."))) {
      return true;
    }
  }
}

}  // namespace testpeers
