#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "link_test_env.h"
#include "simlink/fsuipc.h"

namespace {

constexpr std::int64_t kLatitude90Raw = 10001750LL * 65536LL * 65536LL;

struct PositionCase {
  std::int64_t rawLatitude;
  std::int64_t rawLongitude;
  double latitude;
  double longitude;
};

const PositionCase kPositionCases[] = {
    {kLatitude90Raw, 0, 90.0, 0.0},
    {-kLatitude90Raw, LLONG_MIN, -90.0, -180.0},
    {0, 1LL << 62, 0.0, 90.0},
    {kLatitude90Raw / 2, -(1LL << 62), 45.0, -90.0},
};

TEST(PositionEncoding, ConvertsTheModulesRawValues) {
  for (const PositionCase& c : kPositionCases) {
    EXPECT_DOUBLE_EQ(LatitudeFromRaw(c.rawLatitude), c.latitude) << c.rawLatitude;
    EXPECT_DOUBLE_EQ(LongitudeFromRaw(c.rawLongitude), c.longitude) << c.rawLongitude;
  }
}

TEST_F(LinkTest, ReadPositionDeliversTheSimulatorsPosition) {
  SimStub& stub = StartStub();
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  EXPECT_TRUE(connected);
  for (const PositionCase& c : kPositionCases) {
    stub.SetRawPosition(c.rawLatitude, c.rawLongitude);
    double position[2] = {1.0, 1.0};
    EXPECT_EQ(link.ReadPosition(position), kFsuipcOk);
    EXPECT_DOUBLE_EQ(position[0], c.latitude);
    EXPECT_DOUBLE_EQ(position[1], c.longitude);
  }
}

struct ScriptedPositionCase {
  double latitude;
  double longitude;
  double expectedLatitude;
  double expectedLongitude;
};

// Any position a person types for the stand-in names a point of the globe: longitudes fold onto
// -180..180, latitudes stop at the poles, a value that is no number gives 0.
TEST_F(LinkTest, StandInFoldsAnyScriptedPositionOntoTheGlobe) {
  const ScriptedPositionCase cases[] = {
      {10.0, 540.0, 10.0, -180.0}, {10.0, -190.0, 10.0, 170.0},  {10.0, 720.5, 10.0, 0.5},
      {95.0, 1e30, 90.0, 0.0},     {-1e300, -1e300, -90.0, 0.0}, {NAN, NAN, 0.0, 0.0},
      {45.0, INFINITY, 45.0, 0.0},
  };
  SimStub& stub = StartStub();
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  for (const ScriptedPositionCase& c : cases) {
    stub.SetPosition(c.latitude, c.longitude);
    double position[2] = {1.0, 1.0};
    EXPECT_EQ(link.ReadPosition(position), kFsuipcOk);
    EXPECT_NEAR(position[0], c.expectedLatitude, 1e-9) << c.latitude;
    if (std::isfinite(c.longitude) && std::fabs(c.longitude) < 1e6) {
      EXPECT_NEAR(position[1], c.expectedLongitude, 1e-9) << c.longitude;
    } else {
      EXPECT_GE(position[1], -180.0) << c.longitude;
      EXPECT_LT(position[1], 180.0) << c.longitude;
    }
  }
}

TEST_F(LinkTest, FailedReadPositionDeliversTheLastPositionAgain) {
  SimStub& stub = StartStub();
  stub.SetPosition(52.38, 13.52);
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  double position[2] = {0.0, 0.0};
  ASSERT_EQ(link.ReadPosition(position), kFsuipcOk);
  EXPECT_NEAR(position[0], 52.38, 1e-9);
  EXPECT_NEAR(position[1], 13.52, 1e-9);
  link.Close();
  double again[2] = {0.0, 0.0};
  EXPECT_EQ(link.ReadPosition(again), kFsuipcNotOpen);
  EXPECT_EQ(again[0], position[0]);
  EXPECT_EQ(again[1], position[1]);
}

TEST(ErrorTexts, CoverEveryCodeAndGiveADefinedTextBeyond) {
  const std::array<const wchar_t*, 16> expected = {
      L"Okay",
      L"Attempt to Open when already Open",
      L"not connected",
      L"Failed to Register common message with Windows",
      L"Failed to create Atom for mapping filename",
      L"Failed to create a file mapping object",
      L"Failed to open a view to the file map",
      L"Incorrect version of FSUIPC, or not FSUIPC",
      L"Sim is not version requested",
      L"Call cannot execute, link not Open",
      L"Call cannot execute: no requests accumulated",
      L"IPC timed out all retries",
      L"IPC sendmessage failed all retries",
      L"IPC request contains bad data",
      L"Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC",
      L"Read or Write request cannot be added, memory for Process is full",
  };
  for (std::uint32_t code = 0; code < expected.size(); ++code)
    EXPECT_EQ(FSUIPC::ErrorText(code), expected[code]);
  EXPECT_EQ(FSUIPC::ErrorText(16), L"Unknown result code 16");
  EXPECT_EQ(FSUIPC::ErrorText(0xFFFFFFFFu), L"Unknown result code 4294967295");
}

struct VersionTextCase {
  std::uint32_t moduleVersion;
  std::uint32_t simNumber;
  const char* text;
};

TEST(VersionText, NamesTheSimulatorAndTheModulesVersion) {
  const VersionTextCase cases[] = {
      {0x36500000, 7, "FS2004 - FSUIPC-Ver: 3.650"},
      {0x41000000, 8, "FSX - FSUIPC-Ver: 4.100"},
      {0x19980005, 1, "FS98 - FSUIPC-Ver: 1.998"},
      {0x2ABF0000, 6, "FS2002 - FSUIPC-Ver: 2.:;?"},
      {0x36500000, 0, "Unknown sim - FSUIPC-Ver: 3.650"},
      {0x36500000, 9, "Unknown sim - FSUIPC-Ver: 3.650"},
      {0x36500000, 0xFFFF, "Unknown sim - FSUIPC-Ver: 3.650"},
  };
  for (const VersionTextCase& c : cases) EXPECT_EQ(FormatVersionText(c.moduleVersion, c.simNumber), c.text);
}

TEST_F(LinkTest, VersionTextComesFromTheLastOpen) {
  StartStub();
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  std::string text;
  EXPECT_EQ(link.GetVersionText(&text), kFsuipcOk);
  EXPECT_EQ(text, "FS2004 - FSUIPC-Ver: 3.650");
  EXPECT_EQ(text.size(), 26u);
}

TEST_F(LinkTest, VersionTextOfFsx) {
  SimStubScript script;
  script.moduleVersion = 0x41000000;
  script.simVersion = 0xFADE0008;
  StartStub(script);
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  std::string text;
  EXPECT_EQ(link.GetVersionText(&text), kFsuipcOk);
  EXPECT_EQ(text, "FSX - FSUIPC-Ver: 4.100");
  EXPECT_EQ(text.size(), 23u);
}

TEST_F(LinkTest, ReadyToFlyFollowsTheFlagAndIsFalseWhenTheReadFails) {
  SimStub& stub = StartStub();
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  const std::pair<std::uint8_t, bool> cases[] = {{0, true}, {1, false}, {0xFF, false}};
  for (const auto& [flag, ready] : cases) {
    stub.SetReadyFlag(flag);
    bool seen = !ready;
    EXPECT_EQ(link.GetReadyToFly(&seen), kFsuipcOk);
    EXPECT_EQ(seen, ready) << int{flag};
  }
  stub.SetReadyFlag(0);
  stub.SetReplyValue(0);
  bool seen = true;
  EXPECT_EQ(link.GetReadyToFly(&seen), kFsuipcBadReply);
  EXPECT_FALSE(seen);
  link.Close();
  seen = true;
  EXPECT_EQ(link.GetReadyToFly(&seen), kFsuipcNotOpen);
  EXPECT_FALSE(seen);
}

TEST_F(LinkTest, FailedReadOf333EGivesAValueThatDoesNotClearTheWeather) {
  SimStub& stub = StartStub();
  stub.SetOffset333E(1);
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  EXPECT_EQ(link.ReadOffset333E(), 1);
  link.Close();
  EXPECT_EQ(link.ReadOffset333E(), kOffset333EUnread);
  EXPECT_GE(kOffset333EUnread, 2);
}

// The module answers 1 but its answer is not delivered (the walk stops at a bad request id): the
// exchange counts as a success, yet no operation may make up a value the simulator never sent.
TEST_F(LinkTest, AnswersThatWereNotDeliveredAreNotMadeUp) {
  SimStub& stub = StartStub();
  stub.SetPosition(52.38, 13.52);
  stub.SetOffset333E(5);
  stub.SetReadyFlag(0);
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  const std::uint32_t ack = link.ReadWeatherAck();
  double position[2] = {0.0, 0.0};
  ASSERT_EQ(link.ReadPosition(position), kFsuipcOk);

  stub.SetCorruptRequest(0, -1);
  EXPECT_EQ(link.ReadWeatherAck(), ack);
  EXPECT_EQ(link.WeatherAck, ack);
  EXPECT_EQ(link.ReadOffset333E(), kOffset333EUnread);  // not below 2: the weather is not cleared
  bool ready = true;
  EXPECT_EQ(link.GetReadyToFly(&ready), kFsuipcOk);
  EXPECT_FALSE(ready);
  double again[2] = {0.0, 0.0};
  EXPECT_EQ(link.ReadPosition(again), kFsuipcOk);
  EXPECT_EQ(again[0], position[0]);
  EXPECT_EQ(again[1], position[1]);
}

TEST_F(LinkTest, WeatherAckChangesAfterEachRecordAndIsNeverOverwrittenByIt) {
  SimStub& stub = StartStub();
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  const std::uint32_t first = link.ReadWeatherAck();
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(link.WeatherAck, first);

  NewWeather record;
  ClearNewWeather(&record);
  record.Command = kWeatherCommandReportRecord;
  std::memset(&record.Reserved36, 0xEE, 4);  // the bytes that lie over 0xC824
  ASSERT_EQ(link.WriteNewWeather(&record), kFsuipcOk);
  EXPECT_EQ(link.ReadWeatherAck(), first + 1);
  ASSERT_EQ(link.WriteNewWeather(&record), kFsuipcOk);
  EXPECT_EQ(link.ReadWeatherAck(), first + 2);

  stub.SetAcknowledge(false);
  ASSERT_EQ(link.WriteNewWeather(&record), kFsuipcOk);
  EXPECT_EQ(link.ReadWeatherAck(), first + 2);

  std::uint32_t withCode = 0;
  EXPECT_EQ(link.ReadWeatherAck(&withCode), kFsuipcOk);
  EXPECT_EQ(withCode, first + 2);

  link.Close();
  EXPECT_EQ(link.ReadWeatherAck(), kWeatherAckUnread);
  EXPECT_EQ(link.WeatherAck, first + 2);
  withCode = 77;
  EXPECT_EQ(link.ReadWeatherAck(&withCode), kFsuipcNotOpen);
  EXPECT_EQ(withCode, 77u);
}

TEST_F(LinkTest, WritesReachTheSimulatorInOrder) {
  SimStub& stub = StartStub();
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  NewWeather record;
  ClearNewWeather(&record);
  record.Command = kWeatherCommandReportRecord;
  std::memcpy(record.Icao, "EDDB", 4);
  record.Pressure = 1013 * 16;

  EXPECT_EQ(link.WriteWeatherCommand(kWeatherCommandPrepareClear), kFsuipcOk);
  EXPECT_EQ(link.WriteWeatherCommand(kWeatherCommandClearAll), kFsuipcOk);
  EXPECT_EQ(link.SetWindSmoothing(), kFsuipcOk);
  EXPECT_EQ(link.RefreshWindSmoothing(), kFsuipcOk);
  EXPECT_EQ(link.WriteNewWeather(&record), kFsuipcOk);
  EXPECT_EQ(link.WriteWeatherCommand(kWeatherCommandClose), kFsuipcOk);

  struct Expected {
    const char* kind;
    std::uint32_t offset;
    std::uint32_t size;
    std::uint32_t value;
  };
  const Expected expected[] = {
      {"lib_version", 0x330A, 2, 2002},   {"command", 0xC800, 2, 4},
      {"command", 0xC800, 2, 3},          {"wind_smoothing", 0x3127, 1, 255},
      {"wind_smoothing", 0x3128, 4, 264}, {"wind_smoothing", 0x312C, 4, 264},
      {"wind_smoothing", 0x3127, 1, 255}, {"record", 0xC800, 1024, 0x101},
      {"command", 0xC800, 2, 0x100},
  };
  const std::vector<SimStubEvent> events = stub.Events();
  ASSERT_EQ(events.size(), std::size(expected));
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, expected[i].kind) << i;
    EXPECT_EQ(events[i].offset, expected[i].offset) << i;
    EXPECT_EQ(events[i].size, expected[i].size) << i;
    EXPECT_EQ(events[i].value & 0xFFFF, expected[i].value) << i;
  }
  EXPECT_EQ(events[7].icao, "EDDB");
  const NewWeatherBytes bytes = ToBytes(record);
  EXPECT_EQ(events[7].bytes, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST_F(LinkTest, OperationsOnAClosedLinkGiveCodeNine) {
  FSUIPC link;
  NewWeather record;
  ClearNewWeather(&record);
  EXPECT_EQ(link.WriteWeatherCommand(kWeatherCommandClearAll), kFsuipcNotOpen);
  EXPECT_EQ(link.WriteNewWeather(&record), kFsuipcNotOpen);
  EXPECT_EQ(link.SetWindSmoothing(), kFsuipcNotOpen);
  EXPECT_EQ(link.RefreshWindSmoothing(), kFsuipcNotOpen);
  bool connected = true;
  EXPECT_EQ(link.Open(&connected), kFsuipcNoWindow);
  EXPECT_FALSE(connected);
}

// The identifier of a record is UTF-8: the record file shows its characters, and bytes that are
// not whole UTF-8 one by one, so that the JSON never names other characters than were sent.
TEST(StandInRecordFile, ShowsTheIdentifierAsItsCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"EDDB", "\"icao\":\"EDDB\""},
      {"\xC3\x89GL", "\"icao\":\"\xC3\x89GL\""},  // UTF-8 E with acute, then GL
      {"AB\xC3", "\"icao\":\"AB\\u00C3\""},       // cut inside a character
      {"\x89XYZ", "\"icao\":\"\\u0089XYZ\""},     // no lead byte
      {"A\"\\\x01", "\"icao\":\"A\\u0022\\u005C\\u0001\""},
  };
  for (const auto& [icao, expected] : cases) {
    SimStubEvent event;
    event.kind = "record";
    event.icao = icao;
    EXPECT_NE(SimStubEventJson(event).find(expected), std::string::npos) << SimStubEventJson(event);
  }
}

TEST_F(LinkTest, RecordFileHoldsOneJsonLinePerWrite) {
  SimStubScript script;
  script.recordFile = Dir() + "/received.jsonl";
  SimStub& stub = StartStub(script);
  FSUIPC link;
  bool connected = false;
  ASSERT_EQ(link.Open(&connected), kFsuipcOk);
  NewWeather record;
  ClearNewWeather(&record);
  std::memcpy(record.Icao, "GLOB", 4);
  link.WriteNewWeather(&record);
  link.WriteWeatherCommand(kWeatherCommandClose);
  link.Close();
  stub.Stop();
  const std::string text = testsupport::ReadBytes(script.recordFile);
  const std::string record0 =
      "{\"kind\":\"record\",\"offset\":51200,\"size\":1024,\"value\":0,\"icao\":\"GLOB\",\"bytes\":\"";
  EXPECT_EQ(text.rfind("{\"kind\":\"lib_version\",\"offset\":13066,\"size\":2,\"value\":2002}\n", 0), 0u);
  EXPECT_NE(text.find(record0), std::string::npos);
  EXPECT_NE(text.find("{\"kind\":\"command\",\"offset\":51200,\"size\":2,\"value\":256}\n"),
            std::string::npos);
}

}  // namespace
