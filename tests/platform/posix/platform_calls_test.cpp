// The stand-ins' own rules: other processes, runtime directories, sockets and descriptors. What
// both implementations give is in ../platform_contract_test.cpp.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "atom_name.h"
#include "platform/link_cancel.h"
#include "platform/posix/runtime_dir.h"
#include "platform/win_ipc.h"
#include "platform/window_endpoint.h"
#include "platform_env.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST_F(PlatformTest, RegisteredMessageIdsAreEqualInEveryProcess) {
  const WinUint id = RegisterWindowMessageA("FsasmLib:IPC");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(InChild([id] { return RegisterWindowMessageA("FsasmLib:IPC") == id ? 0 : 1; }), 0);
}

TEST_F(PlatformTest, AtomsAreSeenByOtherProcessesAndADeletedOneIsNoAtom) {
  const WinAtom atom = GlobalAddAtomA("FsasmLib:IPC:1F:1");
  ASSERT_NE(atom, 0);
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(AtomName(atom), "");
  EXPECT_EQ(GlobalDeleteAtom(atom), atom);

  // Made by another process, looked up and removed here.
  const int childAtom = InChild([] { return GlobalAddAtomA("made elsewhere") != 0 ? 0 : 1; });
  ASSERT_EQ(childAtom, 0);
  const WinAtom theirs = GlobalAddAtomA("made elsewhere");  // same atom, second use
  EXPECT_EQ(AtomName(theirs), "made elsewhere");
  EXPECT_EQ(GlobalDeleteAtom(theirs), 0);
  EXPECT_EQ(GlobalDeleteAtom(theirs), 0);
  EXPECT_EQ(AtomName(theirs), "");
}

TEST_F(PlatformTest, AtomsOfAnotherRuntimeDirectoryAreNotSeen) {
  const WinAtom atom = GlobalAddAtomA("isolated");
  ASSERT_NE(atom, 0);
  UseDir(MakeDir());
  EXPECT_EQ(AtomName(atom), "");
  UseDir(Dir());
  EXPECT_EQ(AtomName(atom), "isolated");
}

// A new object's last error is 0; the object goes with the last of its handles.
TEST_F(PlatformTest, AViewPastTheEndIsRefusedAndTheLastCloseRemovesTheMapping) {
  WinHandle owner = CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 4096, "area:1");
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  WinHandle second = CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 4096, "area:1");
  ASSERT_NE(second, nullptr);

  EXPECT_EQ(MapViewOfFile(owner, kWinFileMapWrite, 0, 0, 4097), nullptr);  // past the object's end
  auto* mine = static_cast<char*>(MapViewOfFile(owner, kWinFileMapWrite, 0, 0, 0));
  ASSERT_NE(mine, nullptr);
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(UnmapViewOfFile(mine));
  EXPECT_TRUE(CloseHandle(owner));
  EXPECT_EQ(OpenFileMappingA(kWinFileMapWrite, false, "area:1"), nullptr);
  EXPECT_EQ(GetLastError(), kWinErrorFileNotFound);
  EXPECT_FALSE(CloseHandle(owner));
  EXPECT_FALSE(UnmapViewOfFile(mine));
}

TEST_F(PlatformTest, MappingsOfAnotherRuntimeDirectoryAreApart) {
  WinHandle here = CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 4096, "area:2");
  ASSERT_NE(here, nullptr);
  UseDir(MakeDir());
  WinHandle there = CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 4096, "area:2");
  EXPECT_EQ(GetLastError(), 0u);
  CloseHandle(there);
  UseDir(Dir());
  CloseHandle(here);
}

TEST_F(PlatformTest, ANewThreadBeginsWithLastErrorZero) {
  SetLastError(1400);
  WinDword seen = 99;
  std::thread([&seen] {
    seen = GetLastError();
    SetLastError(5);
  }).join();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(GetLastError(), 1400u);
}

// A window is found by its class in its own runtime directory only; a closed one is an invalid
// handle, and so is none.
TEST_F(PlatformTest, AWindowIsFoundInItsRuntimeDirectoryAndAClosedOneIsAnInvalidHandle) {
  WindowEndpoint window;
  ASSERT_TRUE(window.Open("UIPCMAIN", [](WinUint message, WinWparam, WinLparam, WinDwordPtr* reply) {
    *reply = message + 1;
    return true;
  }));
  const WinWindow found = FindWindowExA(0, 0, "UIPCMAIN", nullptr);
  ASSERT_NE(found, 0u);
  EXPECT_EQ(FindWindowExA(0, 0, "UIPCMAIN", nullptr), found);
  EXPECT_EQ(FindWindowExA(0, 0, "FS98MAIN", nullptr), 0u);
  WinDwordPtr reply = 0;
  EXPECT_NE(SendMessageTimeoutA(found, 0xC123, 0xC001, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(reply, 0xC124u);

  UseDir(MakeDir());
  EXPECT_EQ(FindWindowExA(0, 0, "UIPCMAIN", nullptr), 0u);
  UseDir(Dir());

  window.Close();
  SetLastError(0);
  EXPECT_EQ(SendMessageTimeoutA(found, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(GetLastError(), kWinErrorInvalidWindowHandle);
  EXPECT_EQ(SendMessageTimeoutA(0, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_NE(GetLastError(), 0u);
}

// A window that closes and a new one of the same class are two windows: an old handle never
// reaches the newcomer, so its sender sees the window gone and has to find it again.
TEST_F(PlatformTest, AWindowOpenedAgainIsAnotherWindow) {
  const auto answer = [](WinUint, WinWparam, WinLparam, WinDwordPtr* reply) {
    *reply = 1;
    return true;
  };
  const auto send = [](WinWindow window) {
    WinDwordPtr reply = 0;
    SetLastError(0);
    return SendMessageTimeoutA(window, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply);
  };
  auto window = std::make_unique<WindowEndpoint>();
  ASSERT_TRUE(window->Open("UIPCMAIN", answer));
  const WinWindow used = FindWindowExA(0, 0, "UIPCMAIN", nullptr);
  ASSERT_NE(send(used), 0u);  // keeps a connection to this window

  window = std::make_unique<WindowEndpoint>();
  ASSERT_TRUE(window->Open("UIPCMAIN", answer));
  const WinWindow found = FindWindowExA(0, 0, "UIPCMAIN", nullptr);  // not sent to yet
  EXPECT_NE(found, used);
  EXPECT_EQ(send(used), 0u);
  EXPECT_EQ(GetLastError(), kWinErrorInvalidWindowHandle);

  window = std::make_unique<WindowEndpoint>();
  ASSERT_TRUE(window->Open("UIPCMAIN", answer));
  EXPECT_EQ(send(found), 0u);
  EXPECT_EQ(GetLastError(), kWinErrorInvalidWindowHandle);
  const WinWindow latest = FindWindowExA(0, 0, "UIPCMAIN", nullptr);
  EXPECT_NE(latest, found);
  EXPECT_NE(send(latest), 0u);
  EXPECT_EQ(FindWindowExA(0, 0, "UIPCMAIN", nullptr), latest);
}

int OpenDescriptors() {
  const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<int>(std::distance(std::filesystem::begin(fds), std::filesystem::end(fds)));
}

// A sender that finds a window again after it was replaced keeps no connection to the old one.
TEST_F(PlatformTest, WindowsOpenedAgainAndAgainLeaveNoConnectionsBehind) {
  constexpr int kRounds = 20;
  const int before = OpenDescriptors();
  for (int round = 0; round < kRounds; ++round) {
    WindowEndpoint window;
    ASSERT_TRUE(window.Open("UIPCMAIN", [](WinUint, WinWparam, WinLparam, WinDwordPtr* reply) {
      *reply = 1;
      return true;
    }));
    WinDwordPtr reply = 0;
    ASSERT_NE(SendMessageTimeoutA(FindWindowExA(0, 0, "UIPCMAIN", nullptr), 0xC123, 0, 0, kWinSmtoBlock, 2000,
                                  &reply),
              0u);
  }
  EXPECT_LE(OpenDescriptors(), before + 2);
}

TEST_F(PlatformTest, ALateReplyIsNotTakenForTheNextSend) {
  WindowEndpoint window;
  std::atomic<int> calls{0};
  ASSERT_TRUE(window.Open("UIPCMAIN", [&calls](WinUint, WinWparam, WinLparam, WinDwordPtr* reply) {
    const int call = ++calls;
    if (call == 1) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    *reply = static_cast<WinDwordPtr>(call);
    return true;
  }));
  const WinWindow found = FindWindowExA(0, 0, "UIPCMAIN", nullptr);
  SetPlatformTimeScale(0.05);  // 2000 ms become 100 ms
  WinDwordPtr reply = 0;
  SetLastError(7);
  EXPECT_EQ(SendMessageTimeoutA(found, 1, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);  // late
  EXPECT_EQ(GetLastError(), 0u);
  SetPlatformTimeScale(1.0);
  EXPECT_NE(SendMessageTimeoutA(found, 1, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(reply, 2u);
}

TEST_F(PlatformTest, StaleEndpointOfADeadProcessIsNotAWindow) {
  const std::string path = WindowEndpointPath("UIPCMAIN");
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);  // the socket file stays, nobody listens
  EXPECT_EQ(FindWindowExA(0, 0, "UIPCMAIN", nullptr), 0u);
  WindowEndpoint window;
  EXPECT_TRUE(window.Open("UIPCMAIN", [](WinUint, WinWparam, WinLparam, WinDwordPtr* reply) {
    *reply = 1;
    return true;
  }));
  EXPECT_NE(FindWindowExA(0, 0, "UIPCMAIN", nullptr), 0u);
}

// A window whose process hangs: its socket listens, but nothing takes a connection or a message.
int HungWindow(const std::string& className, int backlog) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, WindowEndpointPath(className).c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// More requests than the socket holds and more connections than the window's queue takes: every
// call still comes back within its time, as FindWindowExA and SendMessageTimeoutA do on Windows.
TEST_F(PlatformTest, AHungWindowIsFoundAndSendsToItTimeOutWithoutEverBlocking) {
  const int hung = HungWindow("UIPCMAIN", 2);
  ASSERT_GE(hung, 0);
  const int status = InChild([] {
    alarm(30);                     // a call that blocks for good ends the child: the test fails
    SetPlatformTimeScale(0.0005);  // a 2000 ms time-out takes 1 ms
    const WinWindow window = FindWindowExA(0, 0, "UIPCMAIN", nullptr);
    if (window == 0) return 1;
    for (int i = 0; i < 600; ++i) {
      WinDwordPtr reply = 0;
      SetLastError(7);
      if (SendMessageTimeoutA(window, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply) != 0) return 2;
      if (GetLastError() != 0) return 3;  // timed out, not gone
    }
    for (int i = 0; i < 10; ++i) {
      if (FindWindowExA(0, 0, "UIPCMAIN", nullptr) != window) return 4;
    }
    return 0;
  });
  close(hung);
  EXPECT_EQ(status, 0);
}

// Raises the cancel from another thread after a while, as a stop request would.
class LateRaise {
 public:
  LateRaise(LinkCancel* cancel, std::chrono::milliseconds after)
      : thread_([cancel, after] {
          std::this_thread::sleep_for(after);
          cancel->Raise();
        }) {}
  ~LateRaise() { thread_.join(); }

 private:
  std::thread thread_;
};

constexpr auto kRaiseAfter = std::chrono::milliseconds(100);
// Far below the 2 s time-out of the sends and the 5 s of the sleeps that are cut short.
constexpr auto kCutWithin = std::chrono::milliseconds(1500);

TEST_F(PlatformTest, RaisedCancelEndsTheSleepOfItsThreadOnly) {
  LinkCancel cancel;
  std::atomic<bool> otherSlept{false};
  std::thread other([&otherSlept] {
    Sleep(300);  // not bound: sleeps its time
    otherSlept = true;
  });
  {
    ScopedLinkCancel bound(&cancel);
    SetLastError(1400);
    const auto start = Clock::now();
    {
      LateRaise raise(&cancel, kRaiseAfter);
      Sleep(5000);
    }
    EXPECT_LT(Clock::now() - start, kCutWithin);
    EXPECT_EQ(GetLastError(), 1400u);
    EXPECT_TRUE(LinkCancelRaised());
    const auto again = Clock::now();
    Sleep(5000);  // raised stays raised
    EXPECT_LT(Clock::now() - again, std::chrono::milliseconds(100));
  }
  EXPECT_FALSE(LinkCancelRaised());
  other.join();
  EXPECT_TRUE(otherSlept);
}

// A window that never answers, and one whose process hangs with its connection queue full: the
// send ends when the cancel is raised, says so in the last error, and the window still answers
// the next sender.
TEST_F(PlatformTest, RaisedCancelCutsASendShortAndTheWindowAnswersTheNext) {
  std::atomic<int> calls{0};
  WindowEndpoint silentOnce;
  ASSERT_TRUE(silentOnce.Open("UIPCMAIN", [&calls](WinUint, WinWparam, WinLparam, WinDwordPtr* reply) {
    *reply = 1;
    return ++calls > 1;  // the first message is never answered
  }));
  const WinWindow silent = FindWindowExA(0, 0, "UIPCMAIN", nullptr);
  ASSERT_NE(silent, 0u);

  const int hung = HungWindow("FS98MAIN", 0);
  ASSERT_GE(hung, 0);
  const WinWindow hungWindow = FindWindowExA(0, 0, "FS98MAIN", nullptr);
  ASSERT_NE(hungWindow, 0u);
  std::vector<int> queued;  // fill the hung window's connection queue
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, WindowEndpointPath("FS98MAIN").c_str());
  for (int i = 0; i < 64; ++i) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      break;
    }
    queued.push_back(fd);
  }

  for (const WinWindow window : {silent, hungWindow}) {
    LinkCancel cancel;
    ScopedLinkCancel bound(&cancel);
    WinDwordPtr reply = 0;
    const auto start = Clock::now();
    WinDwordPtr sent = 1;
    {
      LateRaise raise(&cancel, kRaiseAfter);
      sent = SendMessageTimeoutA(window, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply);
    }
    EXPECT_EQ(sent, 0u) << window;
    EXPECT_EQ(GetLastError(), kWinErrorOperationAborted) << window;
    EXPECT_LT(Clock::now() - start, kCutWithin) << window;
    EXPECT_EQ(SendMessageTimeoutA(window, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);  // at once
    EXPECT_EQ(GetLastError(), kWinErrorOperationAborted);
  }
  WinDwordPtr reply = 0;
  EXPECT_NE(SendMessageTimeoutA(silent, 0xC123, 0, 0, kWinSmtoBlock, 2000, &reply), 0u);
  EXPECT_EQ(reply, 1u);
  for (const int fd : queued) close(fd);
  close(hung);
}

}  // namespace
