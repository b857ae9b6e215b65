#include "peers/child_process.h"

#include <chrono>

// What both platforms share: lines and the rest of the output from the chunks Fill brings.

namespace testpeers {
namespace {

int MsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
          .count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

bool ChildProcess::ReadLine(std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (pending_.find('\n') == std::string::npos) {
    const int left = MsLeft(deadline);
    if (left <= 0 || !Fill(left)) {
      return false;
    }
  }
  const std::size_t end = pending_.find('\n');
  line = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  return true;
}

bool ChildProcess::ReadToEnd(std::string& rest, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!ended_) {
    const int left = MsLeft(deadline);
    if (left <= 0) {
      return false;
    }
    Fill(left);
  }
  rest = pending_;
  pending_.clear();
  return true;
}

}  // namespace testpeers
