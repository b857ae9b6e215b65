// nubivane-decode as a whole process, start to exit, on the real METAR sample feed repeated ten
// times: input lines per second of wall-clock time, the best of several runs, the JSON going to
// /dev/null. Target: at least 450,000 lines/s. The processor time (user and system) is printed
// beside it, for a machine busy with other work.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kRepeats = 10;
constexpr int kRuns = 7;

struct RunTime {
  double wall = -1;  // seconds; negative when the tool failed
  double cpu = -1;
};

RunTime TimeOneRun(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  RunTime time;
  if (spawned != 0) return time;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return time;
  time.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  time.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  return time;
}

}  // namespace

int main() {
  std::ifstream sample(NUB_SHARED_DATA_DIR "/metar-cycle-sample.txt", std::ios::binary);
  const std::string once((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
  if (once.empty()) {
    std::fprintf(stderr, "cannot read the METAR sample feed\n");
    return 1;
  }
  std::string feed;
  for (int i = 0; i < kRepeats; ++i) feed += once;
  const auto lines = std::count(feed.begin(), feed.end(), '\n');

  char path[] = "/tmp/nubivane-decode-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, feed.data(), feed.size()) != static_cast<ssize_t>(feed.size())) {
    std::fprintf(stderr, "cannot write the input file\n");
    return 1;
  }
  close(fd);

  const struct {
    const char* name;
    std::vector<std::string> arguments;
  } cases[] = {
      {"METAR lines, identified in airport.dat",
       {NUB_DECODE_TOOL, "--airports", NUB_CATALOGUE_DIR "/airport.dat", path}},
      {"METAR lines, no catalogue", {NUB_DECODE_TOOL, path}},
  };
  int result = 0;
  for (const auto& c : cases) {
    RunTime best{1e9, 1e9};
    for (int run = 0; run < kRuns; ++run) {
      const RunTime time = TimeOneRun(c.arguments);
      if (time.wall < 0) {
        std::fprintf(stderr, "the tool failed\n");
        result = 1;
        break;
      }
      best.wall = std::min(best.wall, time.wall);
      best.cpu = std::min(best.cpu, time.cpu);
    }
    const double count = static_cast<double>(lines);
    std::printf("%s: %ld lines in %.3f s: %.0f lines/s (processor time %.3f s: %.0f lines/s), best of %d\n",
                c.name, static_cast<long>(lines), best.wall, count / best.wall, best.cpu, count / best.cpu,
                kRuns);
  }
  unlink(path);
  return result;
}
