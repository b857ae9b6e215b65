// What both implementations of the platform layer give the link: the real calls on Windows and
// the stand-ins elsewhere pass these same cases, each under its implementation's fixture
// (platform_env.h in posix/ or windows/, beside the cases only that implementation shows).

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "atom_name.h"
#include "platform/test_knobs.h"
#include "platform/win_ipc.h"
#include "platform/window_endpoint.h"
#include "platform_env.h"

namespace {

using Clock = std::chrono::steady_clock;

class PlatformContract : public PlatformTest {};

TEST_F(PlatformContract, RegisteredMessageIdsAreStableAndTheFaultKnobRefuses) {
  const WinUint id = RegisterWindowMessageA("FsasmLib:IPC");
  EXPECT_GE(id, 0xC000u);
  EXPECT_LE(id, 0xFFFFu);
  EXPECT_EQ(RegisterWindowMessageA("FsasmLib:IPC"), id);
  EXPECT_NE(RegisterWindowMessageA("Another message"), id);
  SetPlatformFault(PlatformFault::kRegisterMessage, true);
  EXPECT_EQ(RegisterWindowMessageA("FsasmLib:IPC"), 0u);
}

TEST_F(PlatformContract, GlobalAtomsAreCounted) {
  const WinAtom atom = GlobalAddAtomA("FsasmLib:IPC:1F:1");
  ASSERT_NE(atom, 0);
  EXPECT_GE(atom, 0xC000);
  EXPECT_EQ(GlobalAddAtomA("FsasmLib:IPC:1F:1"), atom);
  EXPECT_EQ(AtomName(atom), "FsasmLib:IPC:1F:1");
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(AtomName(atom), "FsasmLib:IPC:1F:1");  // one use left
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(AtomName(atom), "");
  SetPlatformFault(PlatformFault::kAddAtom, true);
  EXPECT_EQ(GlobalAddAtomA("refused"), 0);
}

TEST_F(PlatformContract, ExistingMappingGives183AndSharesItsMemory) {
  WinHandle owner = CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 32768, "nub:area:1");
  ASSERT_NE(owner, nullptr);
  EXPECT_NE(GetLastError(), kWinErrorAlreadyExists);
  WinHandle second =
      CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 32768, "nub:area:1");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), kWinErrorAlreadyExists);
  WinHandle opened = OpenFileMappingA(kWinFileMapWrite, false, "nub:area:1");
  ASSERT_NE(opened, nullptr);

  auto* mine = static_cast<char*>(MapViewOfFile(owner, kWinFileMapWrite, 0, 0, 0));
  auto* theirs = static_cast<char*>(MapViewOfFile(opened, kWinFileMapWrite, 0, 0, 32768));
  ASSERT_NE(mine, nullptr);
  ASSERT_NE(theirs, nullptr);
  std::strcpy(mine, "queued");
  EXPECT_STREQ(theirs, "queued");
  EXPECT_TRUE(UnmapViewOfFile(theirs));
  EXPECT_TRUE(CloseHandle(opened));
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_STREQ(mine, "queued");  // the owner's object stays

  SetPlatformFault(PlatformFault::kMapView, true);
  EXPECT_EQ(MapViewOfFile(owner, kWinFileMapWrite, 0, 0, 0), nullptr);
  EXPECT_TRUE(UnmapViewOfFile(mine));
  EXPECT_TRUE(CloseHandle(owner));
}

TEST_F(PlatformContract, SendReachesTheTopLevelWindowAndBringsBackItsReply) {
  const WinUint message = RegisterWindowMessageA("FsasmLib:IPC");
  std::atomic<WinWparam> seen{0};
  WindowEndpoint endpoint;
  ASSERT_TRUE(
      endpoint.Open(kTestWindowClass, [&](WinUint m, WinWparam wparam, WinLparam, WinDwordPtr* reply) {
        if (m != message) return true;
        seen = wparam;
        *reply = wparam + 1;
        return true;
      }));
  WindowEndpoint sameClass;
  EXPECT_FALSE(
      sameClass.Open(kTestWindowClass, [](WinUint, WinWparam, WinLparam, WinDwordPtr*) { return true; }));

  const WinWindow window = FindWindowExA(0, 0, kTestWindowClass, nullptr);
  ASSERT_NE(window, 0u);
  WinDwordPtr reply = 0;
  ASSERT_NE(SendMessageTimeoutA(window, message, 0xC123, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(seen.load(), 0xC123u);
  EXPECT_EQ(reply, 0xC124u);

  endpoint.Close();
  EXPECT_EQ(FindWindowExA(0, 0, kTestWindowClass, nullptr), 0u);
  SetLastError(0);
  EXPECT_EQ(SendMessageTimeoutA(window, message, 1, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_NE(GetLastError(), 0u);  // gone, not timed out
}

// A message the window leaves unanswered times out on the sender's (scaled) time with last
// error 0, and the window serves the next one.
TEST_F(PlatformContract, UnansweredSendTimesOutWithLastErrorZero) {
  const WinUint message = RegisterWindowMessageA("FsasmLib:IPC");
  std::atomic<int> received{0};
  WindowEndpoint endpoint;
  ASSERT_TRUE(endpoint.Open(kTestWindowClass, [&](WinUint m, WinWparam, WinLparam, WinDwordPtr* reply) {
    if (m != message) return true;
    *reply = 1;
    return ++received > 1;  // the first one gets no reply
  }));
  const WinWindow window = FindWindowExA(0, 0, kTestWindowClass, nullptr);
  ASSERT_NE(window, 0u);
  SetPlatformTimeScale(0.05);
  WinDwordPtr reply = 0;
  SetLastError(87);
  const auto start = Clock::now();
  EXPECT_EQ(SendMessageTimeoutA(window, message, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
  EXPECT_NE(SendMessageTimeoutA(window, message, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(reply, 1u);
  EXPECT_EQ(received.load(), 2);
}

TEST_F(PlatformContract, LastErrorIsPerThreadAndSleepIsScaledAndLeavesIt) {
  std::atomic<int> step{0};
  std::atomic<WinDword> otherSaw{0};
  std::thread other([&] {
    SetLastError(5);
    step = 1;
    while (step != 2) std::this_thread::yield();
    otherSaw = GetLastError();
  });
  while (step != 1) std::this_thread::yield();
  SetLastError(183);
  const WinDword mainSaw = GetLastError();
  step = 2;
  other.join();
  EXPECT_EQ(mainSaw, 183u);
  EXPECT_EQ(otherSaw.load(), 5u);
  SetPlatformTimeScale(0.01);
  SetLastError(183);
  const auto start = Clock::now();
  Sleep(2000);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(GetLastError(), 183u);
  EXPECT_NE(GetCurrentProcessId(), 0u);
}

}  // namespace
