#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "simlink/new_weather.h"

// Byte offsets of the record's layers, for tests that look at the record as the simulator does.
namespace recordbytes {

constexpr std::size_t kTemp = 56;
constexpr std::size_t kWind = 252;
constexpr std::size_t kCloud = 640;
inline constexpr std::size_t Temp(int i, std::size_t field) { return kTemp + 8 * i + field; }
inline constexpr std::size_t Wind(int i, std::size_t field) { return kWind + 16 * i + field; }
inline constexpr std::size_t Cloud(int i, std::size_t field) { return kCloud + 16 * i + field; }

// One field as the simulator reads it: little-endian, width 1, 2 or 4, signed or not.
struct Field {
  std::size_t offset;
  int width;
  bool isSigned;
  std::int64_t value;
};
inline Field U8(std::size_t offset, std::int64_t value) { return {offset, 1, false, value}; }
inline Field U16(std::size_t offset, std::int64_t value) { return {offset, 2, false, value}; }
inline Field I16(std::size_t offset, std::int64_t value) { return {offset, 2, true, value}; }
inline Field I32(std::size_t offset, std::int64_t value) { return {offset, 4, true, value}; }

inline std::int64_t Read(const NewWeatherBytes& bytes, const Field& field) {
  std::uint64_t raw = 0;
  for (int b = field.width - 1; b >= 0; --b) raw = (raw << 8) | bytes[field.offset + b];
  if (field.isSigned && (raw >> (8 * field.width - 1)) != 0)
    return static_cast<std::int64_t>(raw) - (std::int64_t{1} << (8 * field.width));
  return static_cast<std::int64_t>(raw);
}

inline void Put(NewWeatherBytes& bytes, const Field& field) {
  auto raw = static_cast<std::uint64_t>(field.value);
  for (int b = 0; b < field.width; ++b) bytes[field.offset + b] = static_cast<std::uint8_t>(raw >> (8 * b));
}

inline std::string Where(std::size_t offset) { return "offset " + std::to_string(offset); }

}  // namespace recordbytes
