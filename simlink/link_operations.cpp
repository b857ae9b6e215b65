#include <mutex>

#include "base/units.h"
#include "simlink/fsuipc.h"

namespace {

constexpr std::uint32_t kOffsetLatitude = 0x0560;
constexpr std::uint32_t kOffsetLongitude = 0x0568;
constexpr std::uint32_t kOffsetSmoothingOn = 0x3127;
constexpr std::uint32_t kOffsetSmoothingFirst = 0x3128;
constexpr std::uint32_t kOffsetSmoothingSecond = 0x312C;
constexpr std::uint32_t kOffset333E = 0x333E;
constexpr std::uint32_t kOffsetReadyToFly = 0x3364;
constexpr std::uint32_t kOffsetWeather = 0xC800;
constexpr std::uint32_t kOffsetWeatherAck = 0xC824;

constexpr std::uint8_t kSmoothingOn = 0xFF;
constexpr std::uint32_t kSmoothingValue = 264;

// The module's latitude unit: 10001750 m per quarter meridian, in 2^32 steps per metre.
constexpr double kLatitudeRawPer90Degrees = 10001750.0 * 65536.0 * 65536.0;
constexpr double kLongitudeRawPer360Degrees = 18446744073709551616.0;  // 2^64

using LinkGuard = std::lock_guard<std::recursive_mutex>;

// Raw position of the last successful read, one for the process; guarded by the link lock.
std::int64_t gRawLatitude = 0;
std::int64_t gRawLongitude = 0;

std::uint32_t WriteOne(std::uint32_t offset, std::uint32_t size, const void* source) {
  LinkGuard guard(FSUIPC_Lock());
  std::uint32_t result = kFsuipcOk;
  FSUIPC_Write(offset, size, source, &result);
  FSUIPC_Process(&result);
  return result;
}

// The queue call's code is not looked at: a failed queue makes the process fail as well.
std::uint32_t ReadOne(std::uint32_t offset, std::uint32_t size, void* destination) {
  LinkGuard guard(FSUIPC_Lock());
  std::uint32_t result = kFsuipcOk;
  FSUIPC_Read(offset, size, destination, &result);
  FSUIPC_Process(&result);
  return result;
}

}  // namespace

double LatitudeFromRaw(std::int64_t raw) {
  return static_cast<double>(raw) * 90.0 / kLatitudeRawPer90Degrees;
}

double LongitudeFromRaw(std::int64_t raw) {
  return static_cast<double>(raw) * kDegreesPerTurn / kLongitudeRawPer360Degrees;
}

std::uint32_t FSUIPC::Open(bool* connected) {
  std::uint32_t result = kFsuipcOk;
  *connected = FSUIPC_Open(0, &result);
  return result;
}

void FSUIPC::Close() { FSUIPC_Close(); }

// Each read starts from the value that stands when the module's answer is not delivered (an
// exchange can succeed and still stop before it): the previous acknowledgement, a 0x333E value
// that does not clear the weather, not ready.
std::uint32_t FSUIPC::GetReadyToFly(bool* ready) {
  std::uint8_t flag = 1;
  const std::uint32_t result = ReadOne(kOffsetReadyToFly, sizeof flag, &flag);
  *ready = result == kFsuipcOk && flag == 0;
  return result;
}

std::uint32_t FSUIPC::ReadWeatherAck() {
  std::uint32_t ack = kWeatherAckUnread;
  return ReadWeatherAck(&ack) == kFsuipcOk ? ack : kWeatherAckUnread;
}

std::uint32_t FSUIPC::ReadWeatherAck(std::uint32_t* ack) {
  std::uint32_t value = WeatherAck;
  const std::uint32_t result = ReadOne(kOffsetWeatherAck, sizeof value, &value);
  if (result != kFsuipcOk) return result;
  WeatherAck = value;
  *ack = value;
  return result;
}

AckWait FSUIPC::WaitWeatherAck(std::uint32_t previous, const AckPause& pause) {
  AckWait wait;
  wait.ack = previous;
  while (wait.ack == previous) {
    if (!pause(kAckPollMs)) {
      wait.end = AckWaitEnd::kGivenUp;
      return wait;
    }
    wait.code = ReadWeatherAck(&wait.ack);
    if (wait.code != kFsuipcOk) {
      wait.end = AckWaitEnd::kReadFailed;
      return wait;
    }
  }
  wait.end = AckWaitEnd::kAcknowledged;
  return wait;
}

std::uint16_t FSUIPC::ReadOffset333E() {
  std::uint16_t value = kOffset333EUnread;
  return ReadOne(kOffset333E, sizeof value, &value) == kFsuipcOk ? value : kOffset333EUnread;
}

std::uint32_t FSUIPC::ReadPosition(double* latLon) {
  LinkGuard guard(FSUIPC_Lock());
  std::uint32_t result = kFsuipcOk;
  FSUIPC_Read(kOffsetLatitude, sizeof gRawLatitude, &gRawLatitude, &result);
  FSUIPC_Read(kOffsetLongitude, sizeof gRawLongitude, &gRawLongitude, &result);
  FSUIPC_Process(&result);
  latLon[0] = LatitudeFromRaw(gRawLatitude);
  latLon[1] = LongitudeFromRaw(gRawLongitude);
  return result;
}

std::uint32_t FSUIPC::WriteWeatherCommand(std::uint16_t command) {
  return WriteOne(kOffsetWeather, sizeof command, &command);
}

std::uint32_t FSUIPC::WriteNewWeather(const NewWeather* record) {
  const NewWeatherBytes bytes = ToBytes(*record);
  return WriteOne(kOffsetWeather, kNewWeatherSize, bytes.data());
}

std::uint32_t FSUIPC::SetWindSmoothing() {
  WriteOne(kOffsetSmoothingOn, sizeof kSmoothingOn, &kSmoothingOn);
  WriteOne(kOffsetSmoothingFirst, sizeof kSmoothingValue, &kSmoothingValue);
  return WriteOne(kOffsetSmoothingSecond, sizeof kSmoothingValue, &kSmoothingValue);
}

std::uint32_t FSUIPC::RefreshWindSmoothing() {
  return WriteOne(kOffsetSmoothingOn, sizeof kSmoothingOn, &kSmoothingOn);
}

std::uint32_t FSUIPC::GetVersionText(std::string* text) {
  LinkGuard guard(FSUIPC_Lock());
  *text = FormatVersionText(FSUIPC_Version, FSUIPC_FS_Version & 0xFFFFu);
  return kFsuipcOk;
}
