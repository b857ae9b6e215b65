#include "simlink/ipc_client.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link_test_env.h"
#include "platform/win_ipc.h"

namespace {

using Clock = std::chrono::steady_clock;

std::uint32_t ReadReadyByte(std::uint8_t* flag) {
  std::uint32_t result = 0xFFFFFFFF;
  FSUIPC_Read(0x3364, 1, flag, &result);
  FSUIPC_Process(&result);
  return result;
}

bool AtomTableEmpty(const std::string& dir) {
  const std::filesystem::path atoms = std::filesystem::path(dir) / "atoms";
  if (!std::filesystem::exists(atoms)) return true;
  for (const auto& entry : std::filesystem::directory_iterator(atoms)) {
    if (entry.path().filename() != "lock") return false;
  }
  return true;
}

struct OpenCase {
  const char* name;
  bool mainWindow;
  bool fallbackWindow;
  std::uint32_t moduleVersion;
  std::uint32_t simVersion;
  std::uint32_t simRequired;
  std::uint32_t expected;
  std::uint32_t simNumberAfter;  // FSUIPC_FS_Version after a successful open
};

const OpenCase kOpenCases[] = {
    {"Fs2004", true, false, 0x36500000, 0xFADE0007, 0, kFsuipcOk, 7},
    {"FsxOnFallbackOnly", false, true, 0x41000000, 0xFADE0008, 0, kFsuipcOk, 8},
    {"BothWindows", true, true, 0x36500000, 0xFADE0007, 0, kFsuipcOk, 7},
    {"OldestAccepted", true, false, 0x19980005, 0xFADE0001, 0, kFsuipcOk, 1},
    {"ModuleTooOld", true, false, 0x19980004, 0xFADE0007, 0, kFsuipcVersion, 0},
    {"ModuleTooOldOnFallback", false, true, 0x19980004, 0xFADE0007, 0, kFsuipcVersionFallback, 0},
    {"NoSimMark", true, false, 0x36500000, 0x12340007, 0, kFsuipcVersion, 0},
    {"ModuleSilentOnVersions", true, false, 0, 0, 0, kFsuipcVersion, 0},
    {"SimRequiredMatches", true, false, 0x36500000, 0xFADE0007, 7, kFsuipcOk, 7},
    {"SimRequiredDiffers", true, false, 0x36500000, 0xFADE0007, 8, kFsuipcWrongSim, 0},
    {"NoWindow", false, false, 0x36500000, 0xFADE0007, 0, kFsuipcNoWindow, 0},
};

class OpenResults : public LinkTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenResults, GiveTheCodeAndLeaveTheLinkOpenOnlyOnSuccess) {
  const OpenCase& c = GetParam();
  SimStubScript script;
  script.mainWindow = c.mainWindow;
  script.fallbackWindow = c.fallbackWindow;
  script.moduleVersion = c.moduleVersion;
  script.simVersion = c.simVersion;
  StartStub(script);
  EXPECT_EQ(OpenLink(c.simRequired), c.expected);
  std::uint8_t flag = 0xAA;
  if (c.expected == kFsuipcOk) {
    EXPECT_EQ(FSUIPC_FS_Version, c.simNumberAfter);
    EXPECT_EQ(ReadReadyByte(&flag), kFsuipcOk);
    EXPECT_EQ(flag, 0);
  } else {
    EXPECT_EQ(ReadReadyByte(&flag), kFsuipcNotOpen);
    EXPECT_TRUE(AtomTableEmpty(Dir()));
  }
}

INSTANTIATE_TEST_SUITE_P(Link, OpenResults, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, OpenWritesTheLibraryVersionWithoutClobberingTheSimVersion) {
  SimStub& stub = StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  EXPECT_EQ(stub.LibraryVersion(), FSUIPC_Lib_Version);
  FSUIPC_Close();
  // The 2-byte write at 0x330A lies over the high word of 0x3308: a reconnect still sees 0xFADE.
  EXPECT_EQ(OpenLink(), kFsuipcOk);
  EXPECT_EQ(FSUIPC_FS_Version, 7u);
}

TEST_F(LinkTest, SecondOpenGivesCodeOneAndKeepsTheLinkUsable) {
  StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  EXPECT_EQ(OpenLink(), kFsuipcAlreadyOpen);
  std::uint8_t flag = 0xAA;
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcOk);
  EXPECT_EQ(flag, 0);
}

struct FaultCase {
  const char* name;
  PlatformFault fault;
  std::uint32_t expected;
};

class OpenFaults : public LinkTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(OpenFaults, FailTheOpenAndReleaseWhatWasMade) {
  StartStub();
  SetPlatformFault(GetParam().fault, true);
  EXPECT_EQ(OpenLink(), GetParam().expected);
  EXPECT_TRUE(AtomTableEmpty(Dir()));
  std::uint8_t flag = 0;
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcNotOpen);
  SetPlatformFault(GetParam().fault, false);
  EXPECT_EQ(OpenLink(), kFsuipcOk);
}

INSTANTIATE_TEST_SUITE_P(Link, OpenFaults,
                         ::testing::Values(FaultCase{"Message", PlatformFault::kRegisterMessage,
                                                     kFsuipcRegisterMessage},
                                           FaultCase{"Atom", PlatformFault::kAddAtom, kFsuipcAtom},
                                           FaultCase{"View", PlatformFault::kMapView, kFsuipcView}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, ExistingMappingOfTheNameIsRefusedAndLeftToItsOwner) {
  StartStub();
  char name[64];
  std::snprintf(name, sizeof name, "FsasmLib:IPC:%X:%X", static_cast<unsigned>(GetCurrentProcessId()),
                static_cast<unsigned>(FSUIPC_OpenCount + 1));
  WinHandle squatter = CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, 32768, name);
  ASSERT_NE(squatter, nullptr);
  auto* theirs = static_cast<std::uint8_t*>(MapViewOfFile(squatter, kWinFileMapWrite, 0, 0, 0));
  ASSERT_NE(theirs, nullptr);
  theirs[0] = 0x5A;

  EXPECT_EQ(OpenLink(), kFsuipcMapping);
  EXPECT_EQ(theirs[0], 0x5A);
  // The refused handle was closed without taking the owner's object with it.
  WinHandle again = OpenFileMappingA(kWinFileMapWrite, false, name);
  EXPECT_NE(again, nullptr);
  CloseHandle(again);
  UnmapViewOfFile(theirs);
  CloseHandle(squatter);
  EXPECT_EQ(OpenLink(), kFsuipcOk);  // the next name is free
}

TEST_F(LinkTest, CallsOnAClosedLinkGiveCodeNine) {
  std::uint32_t result = 0;
  std::uint32_t word = 0;
  EXPECT_FALSE(FSUIPC_Read(0x3304, 4, &word, &result));
  EXPECT_EQ(result, kFsuipcNotOpen);
  EXPECT_FALSE(FSUIPC_Write(0xC800, 4, &word, &result));
  EXPECT_EQ(result, kFsuipcNotOpen);
  EXPECT_FALSE(FSUIPC_Process(&result));
  EXPECT_EQ(result, kFsuipcNotOpen);
  FSUIPC_Close();  // harmless when closed
}

TEST_F(LinkTest, ProcessWithNothingQueuedSendsNoMessage) {
  SimStub& stub = StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  const std::uint32_t before = stub.MessagesReceived();
  std::uint32_t result = 0;
  EXPECT_FALSE(FSUIPC_Process(&result));
  EXPECT_EQ(result, kFsuipcNothingQueued);
  EXPECT_EQ(stub.MessagesReceived(), before);
}

TEST_F(LinkTest, NineSilentTriesTimeOutWithCodeEleven) {
  SimStub& stub = StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  SetPlatformTimeScale(0.01);
  stub.SetSilentReplies(-1);
  const std::uint32_t before = stub.MessagesReceived();
  std::uint8_t flag = 0xAA;
  const auto start = Clock::now();
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcTimedOut);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(stub.MessagesReceived() - before, 9u);
  EXPECT_EQ(flag, 0xAA);
}

TEST_F(LinkTest, OpenAgainstASilentModuleEndsWithTheExchangesCodeAndClosed) {
  SimStub& stub = StartStub();
  SetPlatformTimeScale(0.01);
  stub.SetSilentReplies(-1);
  EXPECT_EQ(OpenLink(), kFsuipcTimedOut);
  EXPECT_TRUE(AtomTableEmpty(Dir()));
  stub.SetSilentReplies(0);
  SetPlatformTimeScale(kTimeScale);
  EXPECT_EQ(OpenLink(), kFsuipcOk);
}

TEST_F(LinkTest, WindowThatHasGoneGivesCodeTwelve) {
  StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  StopStub();
  std::uint8_t flag = 0xAA;
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcSendFailed);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(flag, 0xAA);
}

// A simulator restarted between two exchanges is a new window: the open link reports the old one
// gone, and only a new open introduces itself (library version) to the new module.
TEST_F(LinkTest, SimulatorRestartedBetweenExchangesGivesCodeTwelveUntilOpenedAgain) {
  StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  std::uint8_t flag = 0xAA;
  ASSERT_EQ(ReadReadyByte(&flag), kFsuipcOk);
  StopStub();
  SimStub& restarted = StartStub();
  flag = 0xAA;
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcSendFailed);
  EXPECT_EQ(flag, 0xAA);
  EXPECT_EQ(restarted.MessagesReceived(), 0u);
  FSUIPC_Close();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  EXPECT_EQ(restarted.LibraryVersion(), FSUIPC_Lib_Version);
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcOk);
}

TEST_F(LinkTest, ReplyOtherThanOneGivesCodeThirteenAndDeliversNothing) {
  SimStub& stub = StartStub();
  stub.SetPosition(52.5, 13.4);
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  stub.SetReplyValue(0);
  std::uint32_t result = 0;
  std::uint32_t version = 0xAAAAAAAA;
  FSUIPC_Read(0x3304, 4, &version, &result);
  EXPECT_FALSE(FSUIPC_Process(&result));
  EXPECT_EQ(result, kFsuipcBadReply);
  EXPECT_EQ(version, 0xAAAAAAAAu);
  // The queue starts again at the area's start: the next exchange carries one request only.
  stub.SetReplyValue(1);
  std::uint8_t flag = 0xAA;
  EXPECT_EQ(ReadReadyByte(&flag), kFsuipcOk);
  EXPECT_EQ(flag, 0);
}

TEST_F(LinkTest, LateReplyIsRetriedAndTheAnswerStillArrives) {
  SimStub& stub = StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  stub.SetLateReplies(1, 300);  // beyond the scaled 200 ms time-out
  std::uint32_t result = 0;
  std::uint32_t version = 0;
  FSUIPC_Read(0x3304, 4, &version, &result);
  EXPECT_TRUE(FSUIPC_Process(&result));
  EXPECT_EQ(result, kFsuipcOk);
  EXPECT_EQ(version, 0x36500000u);
}

struct RoomCase {
  const char* name;
  bool write;
  std::uint32_t queuedFirst;  // data bytes of a read queued before, 0 for none
  std::uint32_t size;
  std::uint32_t expected;
};

const RoomCase kRoomCases[] = {
    {"ReadFillsTheQueue", false, 0, 32496, kFsuipcOk},
    {"ReadOneByteTooMany", false, 0, 32497, kFsuipcNoRoom},
    {"WriteUsesTheSameTest", true, 0, 32496, kFsuipcOk},
    {"WriteOneByteTooMany", true, 0, 32497, kFsuipcNoRoom},
    {"AfterAQueuedRead", false, 100, 32496 - 116, kFsuipcOk},
    {"AfterAQueuedReadTooMany", false, 100, 32496 - 115, kFsuipcNoRoom},
    {"SizeNearTwoToThe32DoesNotWrap", false, 100, 0xFFFFFFF0u, kFsuipcNoRoom},
    {"WriteSizeNearTwoToThe32", true, 0, 0xFFFFFFFFu, kFsuipcNoRoom},
};

class QueueRoom : public LinkTest, public ::testing::WithParamInterface<RoomCase> {};

TEST_P(QueueRoom, IsTestedWithoutWrapping) {
  const RoomCase& c = GetParam();
  StartStub();
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  std::vector<std::uint8_t> first(c.queuedFirst + 1, 0xAA);
  std::uint32_t result = 0;
  if (c.queuedFirst != 0) {
    ASSERT_TRUE(FSUIPC_Read(0x3304, c.queuedFirst, first.data(), &result));
  }
  std::vector<std::uint8_t> buffer(c.expected == kFsuipcOk ? c.size : 16, 0);
  const bool queued = c.write ? FSUIPC_Write(0x4000, c.size, buffer.data(), &result)
                              : FSUIPC_Read(0x0000, c.size, buffer.data(), &result);
  EXPECT_EQ(queued, c.expected == kFsuipcOk);
  EXPECT_EQ(result, c.expected);
  // A refused request leaves the queue as it was: the earlier read is still delivered, and an
  // empty queue stays empty.
  const bool anything = queued || c.queuedFirst != 0;
  EXPECT_EQ(FSUIPC_Process(&result), anything);
  EXPECT_EQ(result, anything ? kFsuipcOk : kFsuipcNothingQueued);
  if (c.queuedFirst != 0) {
    EXPECT_EQ(first[0], 0x00);
    EXPECT_EQ(first[1], 0x00);
    EXPECT_EQ(first[2], 0x50);
    EXPECT_EQ(first[c.queuedFirst], 0xAA);  // nothing past the size asked
  }
}

INSTANTIATE_TEST_SUITE_P(Link, QueueRoom, ::testing::ValuesIn(kRoomCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, TwoReadsAreDeliveredInQueueOrderToTheirOwnDestinations) {
  SimStub& stub = StartStub();
  stub.SetOffset333E(0x1234);
  stub.SetReadyFlag(5);
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  std::uint32_t result = 0;
  std::uint16_t value = 0;
  std::uint8_t flag = 0;
  std::uint16_t word = 0xC0DE;
  FSUIPC_Read(0x333E, 2, &value, &result);
  FSUIPC_Write(0x4000, 2, &word, &result);
  FSUIPC_Read(0x3364, 1, &flag, &result);
  EXPECT_TRUE(FSUIPC_Process(&result));
  EXPECT_EQ(value, 0x1234);
  EXPECT_EQ(flag, 5);
}

struct CorruptionCase {
  const char* name;
  int idRequest;
  int sizeRequest;
  bool firstDelivered;
  bool secondDelivered;
};

class CorruptAnswers : public LinkTest, public ::testing::WithParamInterface<CorruptionCase> {};

// Canaries around each destination show that nothing is written outside it.
TEST_P(CorruptAnswers, NeverTakeTheWalkOutsideTheAreaOrTheBuffers) {
  const CorruptionCase& c = GetParam();
  SimStub& stub = StartStub();
  stub.SetOffset333E(0x1234);
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  stub.SetCorruptRequest(c.idRequest, c.sizeRequest);
  std::array<std::uint8_t, 6> first{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  std::array<std::uint8_t, 6> second = first;
  std::uint32_t result = 0;
  FSUIPC_Read(0x3304, 4, first.data() + 1, &result);
  FSUIPC_Read(0x333E, 2, second.data() + 1, &result);
  EXPECT_TRUE(FSUIPC_Process(&result));
  EXPECT_EQ(result, kFsuipcOk);
  const std::array<std::uint8_t, 6> firstDone{0xEE, 0x00, 0x00, 0x50, 0x36, 0xEE};
  const std::array<std::uint8_t, 6> secondDone{0xEE, 0x34, 0x12, 0xEE, 0xEE, 0xEE};
  const std::array<std::uint8_t, 6> untouched{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(first, c.firstDelivered ? firstDone : untouched);
  EXPECT_EQ(second, c.secondDelivered ? secondDone : untouched);
}

INSTANTIATE_TEST_SUITE_P(Link, CorruptAnswers,
                         ::testing::Values(CorruptionCase{"None", -1, -1, true, true},
                                           CorruptionCase{"SecondId", 1, -1, true, false},
                                           CorruptionCase{"FirstId", 0, -1, false, false},
                                           CorruptionCase{"FirstSizeHuge", -1, 0, true, false},
                                           CorruptionCase{"SecondSizeHuge", -1, 1, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Two threads share the one link, as the writer thread and the manual-weather dialog do. Each
// sequence runs whole: no thread ever sees another's answer or an empty queue.
TEST_F(LinkTest, SequencesOfTwoThreadsDoNotInterleave) {
  SimStub& stub = StartStub();
  stub.SetOffset333E(0x0777);
  stub.SetReadyFlag(0);
  ASSERT_EQ(OpenLink(), kFsuipcOk);
  constexpr int kRounds = 200;
  std::atomic<int> failures{0};
  auto worker = [&failures](std::uint32_t offset, std::uint32_t size, std::uint32_t expected) {
    for (int i = 0; i < kRounds; ++i) {
      std::lock_guard<std::recursive_mutex> guard(FSUIPC_Lock());
      std::uint32_t value = 0xFFFFFFFF;
      std::uint32_t result = 0;
      std::this_thread::yield();
      FSUIPC_Read(offset, size, &value, &result);
      std::this_thread::yield();
      if (!FSUIPC_Process(&result) ||
          (value & (size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1)) != expected) {
        ++failures;
      }
    }
  };
  std::thread a(worker, 0x333E, 2, 0x0777);
  std::thread b(worker, 0x3304, 4, 0x36500000);
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
}

}  // namespace
