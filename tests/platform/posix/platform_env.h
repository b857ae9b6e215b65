#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/test_knobs.h"

// The window class of the contract's windows: the one the link talks to.
constexpr char kTestWindowClass[] = "UIPCMAIN";

// A runtime directory of its own for every test.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeDir();
    UseDir(dir_);
    ClearPlatformFaults();
    SetPlatformTimeScale(1.0);
  }

  void TearDown() override {
    ClearPlatformFaults();
    SetPlatformTimeScale(1.0);
    unsetenv("NUBIVANE_IPC_DIR");
    for (const std::string& dir : made_) {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  }

  std::string MakeDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nub-platform-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    made_.push_back(pattern);
    return pattern;
  }

  static void UseDir(const std::string& dir) { setenv("NUBIVANE_IPC_DIR", dir.c_str(), 1); }

  const std::string& Dir() const { return dir_; }

  // Runs body in a child process and gives its exit status (0..255), or -1.
  static int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

 private:
  std::string dir_;
  std::vector<std::string> made_;
};
