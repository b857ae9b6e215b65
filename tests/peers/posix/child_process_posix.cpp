#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "peers/child_process.h"
#include "platform/stop_request.h"

extern char** environ;

namespace testpeers {

struct ChildProcess::Process {
  pid_t pid = -1;
  int out = -1;
  int in = -1;
  bool reaped = false;
  int status = 0;
};

ChildProcess::ChildProcess(const std::vector<std::string>& argv) : process_(std::make_unique<Process>()) {
  int pipeEnds[2];
  int inputEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    return;
  }
  if (::pipe2(inputEnds, O_CLOEXEC) != 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, inputEnds[0], STDIN_FILENO);
  std::vector<char*> args;
  for (const auto& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  if (::posix_spawn(&process_->pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
    process_->pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  ::close(inputEnds[0]);
  process_->out = pipeEnds[0];
  process_->in = inputEnds[1];
}

ChildProcess::~ChildProcess() {
  if (process_->pid > 0 && !process_->reaped) {
    ::kill(process_->pid, SIGKILL);
    ::waitpid(process_->pid, nullptr, 0);
  }
  if (process_->out >= 0) {
    ::close(process_->out);
  }
  if (process_->in >= 0) {
    ::close(process_->in);
  }
}

bool ChildProcess::Started() const { return process_->pid > 0; }

std::uint32_t ChildProcess::Id() const { return static_cast<std::uint32_t>(process_->pid); }

bool ChildProcess::Fill(int timeoutMs) {
  pollfd entry{process_->out, POLLIN, 0};
  if (ended_ || ::poll(&entry, 1, timeoutMs) <= 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t n = ::read(process_->out, buffer, sizeof buffer);
  if (n <= 0) {
    ended_ = true;
    return false;
  }
  pending_.append(buffer, static_cast<std::size_t>(n));
  return true;
}

int ChildProcess::Wait(int timeoutMs) {
  if (process_->pid <= 0) {
    return -1;
  }
  for (int waited = 0; !process_->reaped; waited += 10) {
    const pid_t done = ::waitpid(process_->pid, &process_->status, WNOHANG);
    if (done == process_->pid) {
      process_->reaped = true;
    } else if (done < 0 || waited >= timeoutMs) {
      return -1;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return WIFEXITED(process_->status) ? WEXITSTATUS(process_->status) : -1;
}

int ChildProcess::Stop(int timeoutMs) {
  if (process_->pid <= 0) {
    return -1;
  }
  if (!process_->reaped) {
    platform::RequestStop(static_cast<std::uint32_t>(process_->pid));
  }
  const int code = Wait(timeoutMs);
  if (!process_->reaped) {
    ::kill(process_->pid, SIGKILL);
    ::waitpid(process_->pid, nullptr, 0);
    process_->reaped = true;
    return -1;
  }
  return code;
}

bool ChildProcess::WriteInput(const std::string& bytes) {
  std::size_t written = 0;
  while (process_->in >= 0 && written < bytes.size()) {
    const ssize_t n = ::write(process_->in, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return process_->in >= 0;
}

bool ChildProcess::Signal(int signal) {
  return process_->pid > 0 && !process_->reaped && ::kill(process_->pid, signal) == 0;
}

bool ChildProcess::WaitExit(int timeoutMs, int* exitStatus) {
  if (process_->pid <= 0 || process_->reaped) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const pid_t done = ::waitpid(process_->pid, &process_->status, WNOHANG);
    if (done == process_->pid) {
      process_->reaped = true;
      if (exitStatus != nullptr) *exitStatus = process_->status;
      return true;
    }
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace testpeers
