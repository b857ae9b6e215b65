#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "platform/window_endpoint.h"

// A stand-in for the simulator's interface module: it registers the module's window(s), answers
// the "FsasmLib:IPC" message by walking the requests in the client's area (reads filled from a
// simulated offset memory, writes applied) and records what it received.

struct SimStubScript {
  bool mainWindow = true;                    // class "UIPCMAIN"
  bool fallbackWindow = false;               // class "FS98MAIN"
  std::uint32_t moduleVersion = 0x36500000;  // 0x3304: 3.650
  std::uint32_t simVersion = 0xFADE0007;     // 0x3308: FS2004
  double latitude = 0.0;                     // degrees north
  double longitude = 0.0;                    // degrees east
  std::uint8_t readyFlag = 0;                // 0x3364: 0 ready to fly
  std::uint16_t offset333E = 0;
  std::uint32_t firstAck = 1;  // 0xC824 before the first record
  bool acknowledge = true;     // change 0xC824 after each record
  // 0: at once. N: only at the Nth read of 0xC824 after the record, as a module that takes its
  // time; a record written before then takes the place of the one waiting (that one is lost).
  int ackDelayReads = 0;
  WinDwordPtr replyValue = 1;  // anything but 1: the requests are not carried out
  int silentReplies = 0;       // this many messages never get a reply (-1: all)
  int lateReplies = 0;         // this many get their reply only after lateReplyMs
  std::uint32_t lateReplyMs = 0;
  int corruptIdRequest = -1;       // after the walk, this request's id (0-based) is overwritten
  int corruptSizeRequest = -1;     // after the walk, this request's size becomes huge
  int refuseRecord = 0;            // the message carrying the Nth record sent (1-based) gets reply 0
  std::uint32_t refuseReadOf = 0;  // every message reading this offset gets reply 0 (0: none)
  std::string recordFile;          // JSON lines of what was received; empty: none
  bool echo = false;               // also print each line to standard output
};

struct SimStubEvent {
  // "command", "record", "wind_smoothing", "lib_version", "write"; "ack" (value: the new word)
  // when a delayed acknowledgement comes
  std::string kind;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::uint32_t value = 0;          // the word written (commands, smoothing, library version)
  std::string icao;                 // records: identifier bytes up to the first zero
  std::vector<std::uint8_t> bytes;  // records: all 1024 bytes
};

class SimStub {
 public:
  static constexpr std::uint32_t kMemoryBytes = 0x10000;

  explicit SimStub(SimStubScript script = {});
  ~SimStub();
  SimStub(const SimStub&) = delete;
  SimStub& operator=(const SimStub&) = delete;

  // Registers the scripted windows in the current runtime directory.
  bool Start();
  // Takes the windows away; a client still open sees them gone.
  void Stop();

  // Scripting while running.
  void SetPosition(double latitude, double longitude);
  void SetRawPosition(std::int64_t latitude, std::int64_t longitude);
  void SetReadyFlag(std::uint8_t flag);
  void SetOffset333E(std::uint16_t value);
  void SetVersions(std::uint32_t moduleVersion, std::uint32_t simVersion);
  void SetAcknowledge(bool on);
  void SetAckDelay(int reads);
  void SetReplyValue(WinDwordPtr value);
  void SetSilentReplies(int count);
  void SetLateReplies(int count, std::uint32_t ms);
  void SetCorruptRequest(int idRequest, int sizeRequest);
  void SetRefusedRecord(int number);
  void SetRefusedRead(std::uint32_t offset);

  std::vector<SimStubEvent> Events() const;
  std::uint32_t MessagesReceived() const;
  std::uint16_t LibraryVersion() const;
  std::uint32_t WeatherAck() const;

 private:
  bool HandleMessage(WinUint message, WinWparam wparam, WinDwordPtr* reply);
  bool WaitLate(std::unique_lock<std::mutex>& lock, std::uint32_t ms);
  // False when the message is refused: nothing carried out.
  bool ServeArea(WinAtom atom);
  bool RefusesRecordIn(const std::uint8_t* area);
  void WalkRequests(std::uint8_t* area);
  void CountAckRead(std::uint32_t offset, std::uint32_t size);
  void Acknowledge(bool announce);
  void ApplyWrite(std::uint32_t offset, std::uint32_t size, const std::uint8_t* data);
  void Record(SimStubEvent event);
  void StoreMemory(std::uint32_t offset, const void* data, std::uint32_t size);

  mutable std::mutex lock_;
  std::condition_variable stopping_;
  bool stopped_ = false;
  SimStubScript script_;
  std::array<std::uint8_t, kMemoryBytes> memory_{};
  std::uint16_t libVersion_ = 0;
  std::uint32_t messages_ = 0;
  int recordsSent_ = 0;   // records in the messages so far, refused ones included
  int ackReadsLeft_ = 0;  // reads of 0xC824 until the waiting record is acknowledged; 0: none waits
  std::vector<SimStubEvent> events_;
  std::FILE* recordFile_ = nullptr;
  WindowEndpoint mainWindow_;
  WindowEndpoint fallbackWindow_;
  WinUint ipcMessage_ = 0;
};

// One JSON object per event, as written to the record file.
std::string SimStubEventJson(const SimStubEvent& event);
