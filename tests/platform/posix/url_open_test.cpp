// The desktop's browser is started by a program of its own, which the caller does not wait for.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/shell_open.h"
#include "platform/shell_open_default.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An opener that takes 30 s, as one whose desktop services do not answer: it writes the address
// it was given and its process id, then waits.
class SlowOpener {
 public:
  SlowOpener() {
    dir_ = std::filesystem::temp_directory_path() / ("url-open-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    const std::filesystem::path script = dir_ / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\necho $$ > '" << (dir_ / "pid").string()
                          << "'\nprintf '%s' \"$1\" > '" << (dir_ / "url").string() << "'\nexec sleep 30\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    ::setenv("PATH", (dir_.string() + ":" + oldPath_).c_str(), 1);
  }
  ~SlowOpener() {
    ::setenv("PATH", oldPath_.c_str(), 1);
    const std::string pid = ReadAll(dir_ / "pid");
    if (!pid.empty()) ::kill(std::stoi(pid), SIGKILL);
    std::filesystem::remove_all(dir_);
  }
  // The address the opener was given, once it has written it; empty after the bound.
  std::string Url(std::chrono::seconds bound) const {
    const auto end = Clock::now() + bound;
    while (Clock::now() < end) {
      const std::string url = ReadAll(dir_ / "url");
      if (!url.empty()) return url;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::string();
  }

 private:
  std::filesystem::path dir_;
  std::string oldPath_;
};

TEST(UrlOpen, TheBrowsersStartIsNotWaitedFor) {
  const SlowOpener opener;
  const std::string url = "http://127.0.0.1:9/forum/index.php?topic=1&a=b c";
  const auto start = Clock::now();
  platform::OpenUrl(wxString::FromUTF8(url));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(opener.Url(std::chrono::seconds(10)), url);
}

}  // namespace
