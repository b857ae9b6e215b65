#include "peers/http_peer.h"

#include <chrono>

namespace testpeers {
namespace {

constexpr int kPollMs = 50;
constexpr int kRequestMs = 5000;
// A client that has gone without a reset, or stopped reading, must not hold a send for good.
constexpr int kSendS = 2;

std::string StatusText(int status) { return status == 200 ? "OK" : status == 404 ? "Not Found" : "Error"; }

}  // namespace

HttpPeer::HttpPeer(std::vector<HttpRoute> routes)
    : routes_(std::move(routes)), thread_([this] { Serve(); }) {}

HttpPeer::~HttpPeer() {
  stop_ = true;
  thread_.join();
}

std::string HttpPeer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(Port()); }

std::vector<std::string> HttpPeer::RequestLines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void HttpPeer::Serve() {
  while (!stop_) {
    const PeerSocket fd = listener_.Accept(kPollMs);
    if (fd != kNoSocket) {
      Answer(fd);
    }
  }
}

void HttpPeer::Answer(PeerSocket fd) {
  SetSendTimeout(fd, kSendS);
  std::string request;
  if (!ReadUntil(fd, request, "\r\n\r\n", kRequestMs)) {
    CloseSocket(fd);
    return;
  }
  const std::string line = request.substr(0, request.find("\r\n"));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(line);
  }
  const std::size_t pathStart = line.find(' ') + 1;
  const std::string path = line.substr(pathStart, line.find(' ', pathStart) - pathStart);
  HttpRoute notFound{path, 404, "not here"};
  const HttpRoute* route = &notFound;
  for (const auto& candidate : routes_) {
    if (candidate.path == path) {
      route = &candidate;
    }
  }
  const auto speakAt =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(route->silentBeforeHeadMs);
  while (!stop_ && std::chrono::steady_clock::now() < speakAt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  std::string response = route->head;
  if (response.empty()) {
    response = "HTTP/1.0 " + std::to_string(route->status) + " " + StatusText(route->status) + "\r\n";
    if (route->announceLength) {
      const std::size_t length =
          route->announcedLength == SIZE_MAX ? route->body.size() : route->announcedLength;
      response += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    response += "Connection: close\r\n\r\n";
  }
  response += route->body;
  WriteAll(fd, response);
  for (int sent = 1; route->endless && (route->repeats == 0 || sent < route->repeats) && !stop_; ++sent) {
    std::this_thread::sleep_for(std::chrono::milliseconds(route->pauseMs));
    if (!WriteAll(fd, route->body)) break;
  }
  const auto silentUntil =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(route->silentAfterBodyMs);
  while (!stop_ && std::chrono::steady_clock::now() < silentUntil) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  if (route->resetAfterBody) {
    std::this_thread::sleep_for(std::chrono::milliseconds(route->resetDelayMs));
    CloseWithReset(fd);
  } else {
    ShutdownWrite(fd);
    std::string rest;
    ReadUntil(fd, rest, "\x01never", kPollMs);
    CloseSocket(fd);
  }
}

}  // namespace testpeers
