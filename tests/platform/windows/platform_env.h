#pragma once

#include <gtest/gtest.h>

#include "platform/test_knobs.h"

// The window class of the contract's windows: one no other program of the session opens.
constexpr char kTestWindowClass[] = "NubivanePlatformTest";

// The real calls as the link makes them, with the test knobs on top.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearPlatformFaults();
    SetPlatformTimeScale(1.0);
  }
  void TearDown() override {
    ClearPlatformFaults();
    SetPlatformTimeScale(1.0);
  }
};
