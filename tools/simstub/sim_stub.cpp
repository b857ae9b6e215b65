#include "sim_stub.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "platform/win_ipc.h"

namespace {

constexpr char kMainWindowClass[] = "UIPCMAIN";
constexpr char kFallbackWindowClass[] = "FS98MAIN";
constexpr char kMessageName[] = "FsasmLib:IPC";
constexpr std::uint32_t kAreaBytes = 32768;

constexpr std::uint32_t kReadId = 1;
constexpr std::uint32_t kWriteId = 2;
constexpr std::uint32_t kCorruptId = 0x0BADC0DE;
constexpr std::uint32_t kCorruptSize = 0xFFFFFFF0;

constexpr std::uint32_t kOffsetLatitude = 0x0560;
constexpr std::uint32_t kOffsetLongitude = 0x0568;
constexpr std::uint32_t kOffsetSmoothingOn = 0x3127;
constexpr std::uint32_t kOffsetSmoothingFirst = 0x3128;
constexpr std::uint32_t kOffsetSmoothingSecond = 0x312C;
constexpr std::uint32_t kOffsetModuleVersion = 0x3304;
constexpr std::uint32_t kOffsetSimVersion = 0x3308;
constexpr std::uint32_t kOffsetLibVersion = 0x330A;
constexpr std::uint32_t kOffset333E = 0x333E;
constexpr std::uint32_t kOffsetReadyToFly = 0x3364;
constexpr std::uint32_t kOffsetWeather = 0xC800;
constexpr std::uint32_t kOffsetWeatherAck = 0xC824;
constexpr std::uint32_t kRecordBytes = 1024;

// Words the module owns: a client write never changes them. The library version write at
// 0x330A lands on the high half of the simulator version and is taken aside instead; the
// acknowledgement word lies inside every record written at 0xC800.
struct OwnedRange {
  std::uint32_t first;
  std::uint32_t end;
};
constexpr OwnedRange kOwnedRanges[] = {{kOffsetModuleVersion, kOffsetSimVersion + 4},
                                       {kOffsetWeatherAck, kOffsetWeatherAck + 4}};

bool ModuleOwned(std::uint32_t offset) {
  return std::any_of(std::begin(kOwnedRanges), std::end(kOwnedRanges), [offset](const OwnedRange& range) {
    return offset >= range.first && offset < range.end;
  });
}

constexpr long double kLatitudeRawPer90Degrees = 10001750.0L * 65536.0L * 65536.0L;
constexpr long double kTwoTo64 = 18446744073709551616.0L;
constexpr long double kTwoTo63 = 9223372036854775808.0L;

constexpr double kPoleDegrees = 90.0;
constexpr long double kFullCircleDegrees = 360.0L;

// A scripted position is whatever a person typed: it stops at the poles, and no number gives 0.
std::int64_t RawLatitude(double degrees) {
  if (std::isnan(degrees)) return 0;
  const double clamped = std::clamp(degrees, -kPoleDegrees, kPoleDegrees);
  return static_cast<std::int64_t>(std::llround(clamped * kLatitudeRawPer90Degrees / 90.0L));
}

// Any longitude names a meridian: folded onto -180..180 before it is scaled, and 180 east is the
// same meridian as 180 west, so it wraps into the signed range.
std::int64_t RawLongitude(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  long double folded = std::fmod(static_cast<long double>(degrees), kFullCircleDegrees);
  if (folded >= kFullCircleDegrees / 2) folded -= kFullCircleDegrees;
  if (folded < -kFullCircleDegrees / 2) folded += kFullCircleDegrees;
  long double raw = std::round(folded * kTwoTo64 / kFullCircleDegrees);
  if (raw >= kTwoTo63) raw -= kTwoTo64;
  return static_cast<std::int64_t>(raw);
}

std::uint32_t LoadWord(const std::uint8_t* area, std::uint64_t at) {
  std::uint32_t value;
  std::memcpy(&value, area + at, 4);
  return value;
}

void StoreWord(std::uint8_t* area, std::uint64_t at, std::uint32_t value) {
  std::memcpy(area + at, &value, 4);
}

std::uint32_t SmallValue(const std::uint8_t* data, std::uint32_t size) {
  std::uint32_t value = 0;
  std::memcpy(&value, data, std::min<std::uint32_t>(size, 4));
  return value;
}

std::string IcaoOf(const std::uint8_t* record) {
  std::string icao;
  for (int i = 8; i < 12 && record[i] != 0; ++i) icao += static_cast<char>(record[i]);
  return icao;
}

std::size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

bool IsWholeUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8Length(static_cast<unsigned char>(text[i]));
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// The identifier is UTF-8: its characters when it is whole UTF-8, else byte by byte.
std::string JsonIdentifier(const std::string& icao) {
  const bool whole = IsWholeUtf8(icao);
  std::string json;
  for (const char c : icao) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') || (byte >= 0x80 && whole)) {
      json += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
      json += escaped;
    }
  }
  return json;
}

SimStubEvent MakeEvent(std::uint32_t offset, std::uint32_t size, const std::uint8_t* data) {
  SimStubEvent event;
  event.offset = offset;
  event.size = size;
  event.value = SmallValue(data, size);
  if (offset == kOffsetWeather && size == 2) {
    event.kind = "command";
  } else if (offset == kOffsetWeather && size == kRecordBytes) {
    event.kind = "record";
    event.icao = IcaoOf(data);
    event.bytes.assign(data, data + size);
  } else if (offset == kOffsetSmoothingOn || offset == kOffsetSmoothingFirst ||
             offset == kOffsetSmoothingSecond) {
    event.kind = "wind_smoothing";
  } else if (offset == kOffsetLibVersion && size == 2) {
    event.kind = "lib_version";
  } else {
    event.kind = "write";
  }
  return event;
}

}  // namespace

SimStub::SimStub(SimStubScript script) : script_(std::move(script)) {
  SetVersions(script_.moduleVersion, script_.simVersion);
  SetPosition(script_.latitude, script_.longitude);
  SetReadyFlag(script_.readyFlag);
  SetOffset333E(script_.offset333E);
  StoreMemory(kOffsetWeatherAck, &script_.firstAck, 4);
}

SimStub::~SimStub() { Stop(); }

bool SimStub::Start() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopped_ = false;
    ipcMessage_ = RegisterWindowMessageA(kMessageName);
    if (!script_.recordFile.empty() && recordFile_ == nullptr) {
      recordFile_ = std::fopen(script_.recordFile.c_str(), "ab");
      if (recordFile_ == nullptr) return false;
    }
  }
  auto handler = [this](WinUint message, WinWparam wparam, WinLparam, WinDwordPtr* reply) {
    return HandleMessage(message, wparam, reply);
  };
  if (script_.mainWindow && !mainWindow_.Open(kMainWindowClass, handler)) return false;
  if (script_.fallbackWindow && !fallbackWindow_.Open(kFallbackWindowClass, handler)) {
    mainWindow_.Close();
    return false;
  }
  return true;
}

void SimStub::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopped_ = true;
  }
  stopping_.notify_all();
  mainWindow_.Close();
  fallbackWindow_.Close();
  std::lock_guard<std::mutex> guard(lock_);
  if (recordFile_ != nullptr) {
    std::fclose(recordFile_);
    recordFile_ = nullptr;
  }
}

void SimStub::StoreMemory(std::uint32_t offset, const void* data, std::uint32_t size) {
  if (std::uint64_t{offset} + size <= kMemoryBytes) std::memcpy(memory_.data() + offset, data, size);
}

void SimStub::SetPosition(double latitude, double longitude) {
  SetRawPosition(RawLatitude(latitude), RawLongitude(longitude));
}

void SimStub::SetRawPosition(std::int64_t latitude, std::int64_t longitude) {
  std::lock_guard<std::mutex> guard(lock_);
  StoreMemory(kOffsetLatitude, &latitude, 8);
  StoreMemory(kOffsetLongitude, &longitude, 8);
}

void SimStub::SetReadyFlag(std::uint8_t flag) {
  std::lock_guard<std::mutex> guard(lock_);
  StoreMemory(kOffsetReadyToFly, &flag, 1);
}

void SimStub::SetOffset333E(std::uint16_t value) {
  std::lock_guard<std::mutex> guard(lock_);
  StoreMemory(kOffset333E, &value, 2);
}

void SimStub::SetVersions(std::uint32_t moduleVersion, std::uint32_t simVersion) {
  std::lock_guard<std::mutex> guard(lock_);
  StoreMemory(kOffsetModuleVersion, &moduleVersion, 4);
  StoreMemory(kOffsetSimVersion, &simVersion, 4);
}

void SimStub::SetAcknowledge(bool on) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.acknowledge = on;
}

void SimStub::SetAckDelay(int reads) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.ackDelayReads = std::max(reads, 0);
}

void SimStub::SetReplyValue(WinDwordPtr value) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.replyValue = value;
}

void SimStub::SetSilentReplies(int count) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.silentReplies = count;
}

void SimStub::SetLateReplies(int count, std::uint32_t ms) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.lateReplies = count;
  script_.lateReplyMs = ms;
}

void SimStub::SetCorruptRequest(int idRequest, int sizeRequest) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.corruptIdRequest = idRequest;
  script_.corruptSizeRequest = sizeRequest;
}

void SimStub::SetRefusedRecord(int number) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.refuseRecord = number;
}

void SimStub::SetRefusedRead(std::uint32_t offset) {
  std::lock_guard<std::mutex> guard(lock_);
  script_.refuseReadOf = offset;
}

std::vector<SimStubEvent> SimStub::Events() const {
  std::lock_guard<std::mutex> guard(lock_);
  return events_;
}

std::uint32_t SimStub::MessagesReceived() const {
  std::lock_guard<std::mutex> guard(lock_);
  return messages_;
}

std::uint16_t SimStub::LibraryVersion() const {
  std::lock_guard<std::mutex> guard(lock_);
  return libVersion_;
}

std::uint32_t SimStub::WeatherAck() const {
  std::lock_guard<std::mutex> guard(lock_);
  std::uint32_t ack;
  std::memcpy(&ack, memory_.data() + kOffsetWeatherAck, 4);
  return ack;
}

bool SimStub::HandleMessage(WinUint message, WinWparam wparam, WinDwordPtr* reply) {
  std::unique_lock<std::mutex> lock(lock_);
  ++messages_;
  if (message != ipcMessage_) {
    *reply = 0;
    return true;
  }
  if (script_.silentReplies != 0) {
    if (script_.silentReplies > 0) --script_.silentReplies;
    return false;
  }
  if (script_.replyValue != 1) {
    *reply = script_.replyValue;
    return true;
  }
  if (!ServeArea(static_cast<WinAtom>(wparam))) {
    *reply = 0;
    return true;
  }
  if (script_.lateReplies > 0) {
    --script_.lateReplies;
    if (!WaitLate(lock, script_.lateReplyMs)) return false;
  }
  *reply = 1;
  return true;
}

// Interrupted by Stop, when the reply is dropped.
bool SimStub::WaitLate(std::unique_lock<std::mutex>& lock, std::uint32_t ms) {
  return !stopping_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped_; });
}

bool SimStub::ServeArea(WinAtom atom) {
  char name[256];
  if (GlobalGetAtomNameA(atom, name, sizeof name) == 0) return true;
  WinHandle mapping = OpenFileMappingA(kWinFileMapWrite, false, name);
  if (mapping == nullptr) return true;
  bool served = true;
  auto* area = static_cast<std::uint8_t*>(MapViewOfFile(mapping, kWinFileMapWrite, 0, 0, kAreaBytes));
  if (area != nullptr) {
    served = !RefusesRecordIn(area);
    if (served) WalkRequests(area);
    UnmapViewOfFile(area);
  }
  CloseHandle(mapping);
  return served;
}

// Counts the records of the message; true when the refused one is among them, or the message
// reads the refused offset.
bool SimStub::RefusesRecordIn(const std::uint8_t* area) {
  bool refused = false;
  std::uint64_t at = 0;
  while (at + 12 <= kAreaBytes) {
    const std::uint32_t id = LoadWord(area, at);
    if (id != kReadId && id != kWriteId) break;
    const std::uint32_t size = LoadWord(area, at + 8);
    if (id == kWriteId && LoadWord(area, at + 4) == kOffsetWeather && size == kRecordBytes) {
      refused = refused || ++recordsSent_ == script_.refuseRecord;
    }
    if (id == kReadId && script_.refuseReadOf != 0 && LoadWord(area, at + 4) == script_.refuseReadOf)
      refused = true;
    at += (id == kReadId ? 16 : 12) + std::uint64_t{size};
  }
  return refused;
}

void SimStub::WalkRequests(std::uint8_t* area) {
  std::vector<std::uint64_t> starts;
  std::uint64_t at = 0;
  while (at + 12 <= kAreaBytes) {
    const std::uint32_t id = LoadWord(area, at);
    if (id != kReadId && id != kWriteId) break;
    const std::uint32_t offset = LoadWord(area, at + 4);
    const std::uint32_t size = LoadWord(area, at + 8);
    const std::uint64_t header = id == kReadId ? 16 : 12;
    if (at + header + size > kAreaBytes) break;
    std::uint8_t* data = area + at + header;
    if (id == kReadId) {
      CountAckRead(offset, size);
      for (std::uint32_t i = 0; i < size; ++i) {
        const std::uint64_t from = std::uint64_t{offset} + i;
        data[i] = from < kMemoryBytes ? memory_[from] : 0;
      }
    } else {
      ApplyWrite(offset, size, data);
    }
    starts.push_back(at);
    at += header + size;
  }
  const auto count = static_cast<int>(starts.size());
  if (script_.corruptIdRequest >= 0 && script_.corruptIdRequest < count) {
    StoreWord(area, starts[script_.corruptIdRequest], kCorruptId);
  }
  if (script_.corruptSizeRequest >= 0 && script_.corruptSizeRequest < count) {
    StoreWord(area, starts[script_.corruptSizeRequest] + 8, kCorruptSize);
  }
}

void SimStub::ApplyWrite(std::uint32_t offset, std::uint32_t size, const std::uint8_t* data) {
  Record(MakeEvent(offset, size, data));
  if (offset == kOffsetLibVersion && size == 2) std::memcpy(&libVersion_, data, 2);
  for (std::uint32_t i = 0; i < size; ++i) {
    const std::uint64_t to = std::uint64_t{offset} + i;
    if (to < kMemoryBytes && !ModuleOwned(static_cast<std::uint32_t>(to))) memory_[to] = data[i];
  }
  if (offset == kOffsetWeather && size == kRecordBytes && script_.acknowledge) {
    if (script_.ackDelayReads > 0) {
      ackReadsLeft_ = script_.ackDelayReads;
    } else {
      Acknowledge(false);
    }
  }
}

// The read that ends the delay already sees the new word.
void SimStub::CountAckRead(std::uint32_t offset, std::uint32_t size) {
  const bool readsAck = offset <= kOffsetWeatherAck && std::uint64_t{offset} + size >= kOffsetWeatherAck + 4;
  if (!readsAck || ackReadsLeft_ == 0) return;
  if (--ackReadsLeft_ == 0 && script_.acknowledge) Acknowledge(true);
}

void SimStub::Acknowledge(bool announce) {
  std::uint32_t ack;
  std::memcpy(&ack, memory_.data() + kOffsetWeatherAck, 4);
  ++ack;
  StoreMemory(kOffsetWeatherAck, &ack, 4);
  if (!announce) return;
  SimStubEvent event;
  event.kind = "ack";
  event.offset = kOffsetWeatherAck;
  event.size = 4;
  event.value = ack;
  Record(std::move(event));
}

void SimStub::Record(SimStubEvent event) {
  if (recordFile_ != nullptr || script_.echo) {
    const std::string line = SimStubEventJson(event) + "\n";
    if (recordFile_ != nullptr) {
      std::fputs(line.c_str(), recordFile_);
      std::fflush(recordFile_);
    }
    if (script_.echo) {
      std::fputs(line.c_str(), stdout);
      std::fflush(stdout);
    }
  }
  events_.push_back(std::move(event));
}

std::string SimStubEventJson(const SimStubEvent& event) {
  std::string json = "{\"kind\":\"" + event.kind + "\",\"offset\":" + std::to_string(event.offset) +
                     ",\"size\":" + std::to_string(event.size) + ",\"value\":" + std::to_string(event.value);
  if (event.kind == "record") {
    json += ",\"icao\":\"" + JsonIdentifier(event.icao) + "\",\"bytes\":\"";
    static const char kHex[] = "0123456789ABCDEF";
    for (const std::uint8_t byte : event.bytes) {
      json += kHex[byte >> 4];
      json += kHex[byte & 0xF];
    }
    json += '"';
  }
  return json + "}";
}
