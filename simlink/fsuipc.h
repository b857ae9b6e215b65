#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "simlink/ipc_client.h"
#include "simlink/new_weather.h"

// How a wait for the module to take a record ended.
enum class AckWaitEnd { kAcknowledged, kGivenUp, kReadFailed };

struct AckWait {
  AckWaitEnd end = AckWaitEnd::kGivenUp;
  std::uint32_t code = kFsuipcOk;  // the failed read's result code
  std::uint32_t ack = 0;           // the acknowledgement word as last read
};

// The waiter's own pause of the given length before each read of the acknowledgement word;
// false ends the wait (a stop, or the waiter's bound).
using AckPause = std::function<bool(std::uint32_t ms)>;

// The link object: one operation per simulator offset the system uses, each one complete
// exchange with the interface module on the process-wide link. Failures come back only as
// result codes (FSUIPCResult); no operation closes the link itself.
class FSUIPC {
 public:
  // Opens for any simulator; *connected = success.
  std::uint32_t Open(bool* connected);
  void Close();

  // *ready = the simulator is ready to fly (0x3364 reads 0); false when the read fails.
  std::uint32_t GetReadyToFly(bool* ready);
  // The acknowledgement word at 0xC824, also kept in WeatherAck; 0xFFFFFFFF on failure, when
  // WeatherAck keeps its value.
  std::uint32_t ReadWeatherAck();
  // The same read with its result code; *ack is set only on success. A genuine word of
  // 0xFFFFFFFF is told apart from a failed read here.
  std::uint32_t ReadWeatherAck(std::uint32_t* ack);
  // After a record is written: reads the acknowledgement word after every pause until it moves
  // on from previous. A failed read ends the wait too: it is a link error, not a value to wait
  // on. Each read is an exchange of its own, so the link is free between them.
  AckWait WaitWeatherAck(std::uint32_t previous, const AckPause& pause);
  // 0x333E; below 2 means clear the weather. A failed read gives kOffset333EUnread.
  std::uint16_t ReadOffset333E();
  // latLon[0] latitude, latLon[1] longitude, degrees north and east; a failed read delivers the
  // last position read again (0, 0 before the first).
  std::uint32_t ReadPosition(double* latLon);
  std::uint32_t WriteWeatherCommand(std::uint16_t command);
  std::uint32_t WriteNewWeather(const NewWeather* record);
  // Three exchanges; the code of the last one.
  std::uint32_t SetWindSmoothing();
  std::uint32_t RefreshWindSmoothing();

  // "<sim> - FSUIPC-Ver: d.ddd" from the versions of the last successful open; returns 0.
  std::uint32_t GetVersionText(std::string* text);
  static std::wstring ErrorText(const std::uint32_t& code);

  std::uint32_t WeatherAck = 0;
};

// What ReadOffset333E gives when the read fails: not below 2, so the weather is not cleared on a
// value the simulator never sent.
constexpr std::uint16_t kOffset333EUnread = 0xFFFF;
constexpr std::uint32_t kWeatherAckUnread = 0xFFFFFFFF;
// Between two reads of the acknowledgement word while a record waits for it.
constexpr std::uint32_t kAckPollMs = 50;

// Weather command words written alone to 0xC800; a record's own first words are in new_weather.h.
constexpr std::uint16_t kWeatherCommandPrepareClear = 4;
constexpr std::uint16_t kWeatherCommandClearAll = 3;
constexpr std::uint16_t kWeatherCommandClose = 0x100;

// The position encodings of offsets 0x0560 and 0x0568.
double LatitudeFromRaw(std::int64_t raw);
double LongitudeFromRaw(std::int64_t raw);

// Pure parts of the version text and the result texts.
std::string FormatVersionText(std::uint32_t moduleVersion, std::uint32_t simNumber);
