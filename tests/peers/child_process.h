#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testpeers {

// A peer program the test starts, with its standard output on a pipe. The destructor ends it
// (by its own process id) if it is still running.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // One line of output without its line feed; false when none came within timeoutMs.
  bool ReadLine(std::string& line, int timeoutMs);
  // The rest of the output up to its end; false when it did not end within timeoutMs.
  bool ReadToEnd(std::string& rest, int timeoutMs);
  // Sends the signal to the peer (by its own process id).
  bool Signal(int signal);
  // Waits for the peer to end; false when it still runs after timeoutMs. exitStatus: as waitpid
  // gives it.
  bool WaitExit(int timeoutMs, int* exitStatus);

 private:
  bool Fill(int timeoutMs);

  pid_t pid_ = -1;
  bool reaped_ = false;
  int out_ = -1;
  std::string pending_;
  bool ended_ = false;
};

}  // namespace testpeers
