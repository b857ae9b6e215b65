#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/test_paths.h"
#include "platform/test_knobs.h"
#include "sim_stub.h"
#include "simlink/ipc_client.h"

// Every test gets its own runtime directory, so its windows, atoms and mappings meet no other
// test's (on Windows they meet in the session: there the suite's tests run one at a time). Sleeps and
// time-outs run at a tenth: an open's 100 ms pause takes 10 ms, a send still waits 200 ms before it counts as
// timed out.
class LinkTest : public ::testing::Test {
 protected:
  static constexpr double kTimeScale = 0.1;

  void SetUp() override {
    dir_ = testsupport::MakeTempDir("nub-link");
    testsupport::SetEnvironment("NUBIVANE_IPC_DIR", dir_);
    ClearPlatformFaults();
    SetPlatformTimeScale(kTimeScale);
  }

  void TearDown() override {
    FSUIPC_Close();
    stub_.reset();
    ClearPlatformFaults();
    SetPlatformTimeScale(1.0);
    testsupport::UnsetEnvironment("NUBIVANE_IPC_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  SimStub& StartStub(SimStubScript script = {}) {
    stub_ = std::make_unique<SimStub>(std::move(script));
    EXPECT_TRUE(stub_->Start());
    return *stub_;
  }

  void StopStub() { stub_.reset(); }

  std::uint32_t OpenLink(std::uint32_t simRequired = 0) {
    std::uint32_t result = 0xFFFFFFFF;
    FSUIPC_Open(simRequired, &result);
    return result;
  }

  const std::string& Dir() const { return dir_; }

  std::unique_ptr<SimStub> stub_;

 private:
  std::string dir_;
};
