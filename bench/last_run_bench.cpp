// nubivane-bench-last-run: the start-up's last-run check (the previous "nubivane.log" read, looked
// at and emptied, as the main window's log does it) over logs of 1, 50 and 200 MB, made in a
// temporary folder and deleted after. Two kinds of log: the lines of a clean run (per-station
// lines, no error of the program, "Close" at the end: every byte is looked at) and random bytes.
// Each check runs in a process of its own, so that its peak resident memory is its own; prints the
// wall and processor time, MB/s, the process's resident memory before the check and its peak. The file is in
// the page cache: the figures are the check's, not the disk's. Arguments: other sizes in MB
// ("nubivane-bench-last-run 10 500").

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/log_file.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBytesPerMb = 1024 * 1024;
constexpr char kLogName[] = "nubivane.log";

// A value of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long value = -1;
  const std::size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      value = std::strtol(line + length + 1, nullptr, 10);
      break;
    }
  }
  std::fclose(status);
  return value;
}

// Writes the log in pieces, so that the benchmark itself holds no copy of it.
bool WriteLog(const char* kind, std::size_t bytes) {
  std::FILE* file = std::fopen(kLogName, "wb");
  if (file == nullptr) return false;
  std::string piece;
  std::size_t written = 0;
  std::mt19937 random(12345);
  const bool lines = std::strcmp(kind, "log lines") == 0;
  if (lines) piece = "1700000000 - Nubivane Start\r\n1700000000 - Program Version: v0.90.1 BETA\r\n";
  for (int i = 0; written < bytes; ++i) {
    if (lines) {
      piece += "1700000050 - Main: Error: Decode Metar -> EDDF 121150Z 27010KT 9999 FEW030 12/05 Q1015 " +
               std::to_string(i) + "\r\n";
      piece += "1700000051 - Main: Send Station EDDF, 12 from 300\r\n";
    } else {
      for (int j = 0; j < 4096; ++j) piece += static_cast<char>(random() & 0xFF);
    }
    if (piece.size() >= 1 << 16 || written + piece.size() >= bytes) {
      const std::size_t take = std::min(piece.size(), bytes - written);
      if (std::fwrite(piece.data(), 1, take, file) != take) break;
      written += take;
      piece.clear();
    }
  }
  if (lines) std::fputs("1700000100 - Main: Nubivane Close\r\n", file);
  return std::fclose(file) == 0 && written == bytes;
}

// The processor time of this process so far.
double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
  double seconds = 0;
  double cpuSeconds = 0;
  long rssBeforeKb = 0;
  long peakKb = 0;
  bool failed = false;
};

// In a process of its own: the check, as the main window's start-up makes it.
bool MeasureInChild(Figures& figures) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::close(pipeEnds[0]);
    Figures own;
    own.rssBeforeKb = StatusKb("VmRSS");
    const Clock::time_point start = Clock::now();
    const double cpuStart = CpuSeconds();
    {
      ClLog log(kLogName);
      own.failed = log.GetLastRun().Failed();
    }
    own.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    own.cpuSeconds = CpuSeconds() - cpuStart;
    own.peakKb = StatusKb("VmHWM");
    const bool sent = ::write(pipeEnds[1], &own, sizeof own) == static_cast<ssize_t>(sizeof own);
    ::_exit(sent ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  const bool read = ::read(pipeEnds[0], &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer initializer;
  std::vector<std::size_t> sizesMb = {1, 50, 200};
  if (argc > 1) {
    sizesMb.clear();
    for (int i = 1; i < argc; ++i) sizesMb.push_back(std::strtoul(argv[i], nullptr, 10));
  }
  char pattern[] = "/tmp/nub_last_run_bench_XXXXXX";
  const char* folder = ::mkdtemp(pattern);
  if (folder == nullptr || ::chdir(folder) != 0) {
    std::fprintf(stderr, "no temporary folder\n");
    return 1;
  }
  int result = 0;
  // MB/s from the processor time: on a busy machine the wall time also holds the waits for a core.
  std::printf("%-10s %5s %9s %9s %9s %12s %10s %8s\n", "log", "MB", "wall ms", "CPU ms", "MB/s", "RSS before",
              "peak RSS", "report");
  for (const char* kind : {"log lines", "random"}) {
    for (const std::size_t mb : sizesMb) {
      Figures figures;
      if (!WriteLog(kind, mb * kBytesPerMb) || !MeasureInChild(figures)) {
        std::fprintf(stderr, "%s %zu MB: the check did not run\n", kind, mb);
        result = 1;
        continue;
      }
      std::printf("%-10s %5zu %9.1f %9.1f %9.0f %9.1f MB %7.1f MB %8s\n", kind, mb, figures.seconds * 1000.0,
                  figures.cpuSeconds * 1000.0, static_cast<double>(mb) / std::max(figures.cpuSeconds, 1e-6),
                  figures.rssBeforeKb / 1024.0, figures.peakKb / 1024.0, figures.failed ? "offered" : "none");
    }
  }
  std::remove(kLogName);
  if (::chdir("/") != 0 || ::rmdir(folder) != 0) result = 1;
  return result;
}
