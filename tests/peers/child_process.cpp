#include "peers/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace testpeers {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  std::vector<char*> args;
  for (const auto& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  if (::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  out_ = pipeEnds[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) {
    if (::waitpid(pid_, nullptr, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  if (out_ >= 0) {
    ::close(out_);
  }
}

bool ChildProcess::Fill(int timeoutMs) {
  pollfd entry{out_, POLLIN, 0};
  if (ended_ || ::poll(&entry, 1, timeoutMs) <= 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t n = ::read(out_, buffer, sizeof buffer);
  if (n <= 0) {
    ended_ = true;
    return false;
  }
  pending_.append(buffer, static_cast<std::size_t>(n));
  return true;
}

bool ChildProcess::ReadLine(std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (pending_.find('\n') == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    if (left <= 0 || !Fill(static_cast<int>(left))) {
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
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    if (left <= 0) {
      return false;
    }
    Fill(static_cast<int>(left));
  }
  rest = pending_;
  pending_.clear();
  return true;
}

bool ChildProcess::Signal(int signal) { return pid_ > 0 && !reaped_ && ::kill(pid_, signal) == 0; }

bool ChildProcess::WaitExit(int timeoutMs, int* exitStatus) {
  if (pid_ <= 0 || reaped_) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const pid_t done = ::waitpid(pid_, exitStatus, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      return true;
    }
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) return false;
    ::usleep(2000);
  }
}

}  // namespace testpeers
