#pragma once

#include <cstdint>
#include <memory>
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

  bool Started() const;
  std::uint32_t Id() const;
  // One line of output without its line feed; false when none came within timeoutMs.
  bool ReadLine(std::string& line, int timeoutMs);
  // The rest of the output up to its end; false when it did not end within timeoutMs.
  bool ReadToEnd(std::string& rest, int timeoutMs);
  // Writes to the peer's standard input (a pipe that stays open until the object goes).
  bool WriteInput(const std::string& bytes);
  // Waits for the end: the exit code, -1 when it did not end within timeoutMs.
  int Wait(int timeoutMs);
  // Asks it to stop as a terminating signal or Ctrl+C would and waits for the end; one that does
  // not end in time is killed. The exit code, -1 when it had to be killed.
  int Stop(int timeoutMs);
  // Sends the signal to the peer (by its own process id); on Windows only SIGINT and SIGTERM,
  // which ask it to stop as Stop does.
  bool Signal(int signal);
  // Waits for the peer to end; false when it still runs after timeoutMs. exitStatus: as waitpid
  // gives it (on Windows the exit code).
  bool WaitExit(int timeoutMs, int* exitStatus);

 private:
  struct Process;  // the platform's side of the running program
  bool Fill(int timeoutMs);

  std::unique_ptr<Process> process_;
  std::string pending_;
  bool ended_ = false;
};

}  // namespace testpeers
