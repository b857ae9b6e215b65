#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The interface module's weather record, written to offset 0xC800: 1024 bytes, little-endian.
// Every field has its fixed width and place; the static_asserts below pin the layout.

struct NewWeatherTemp {
  std::uint16_t Altitude;    // metres
  std::int16_t Temperature;  // degrees Celsius
  std::int16_t Kind;         // 3 in the two surface layers of a converted record, 2 above
  std::int16_t DewPoint;     // degrees Celsius
};

struct NewWeatherWind {
  std::uint16_t Altitude;     // metres
  std::uint16_t Speed;        // knots
  std::uint16_t Gust;         // knots above the speed; 0 for none
  std::uint16_t Direction;    // degrees * 65536 / 360
  std::uint8_t Turbulence;    // 0..4
  std::uint8_t Shear;         // 0..3
  std::uint16_t Variance;     // degrees * 65536 / 360
  std::uint16_t SurfaceFlag;  // 65000 in the surface layers, 0 above
  std::uint16_t Spare;
};

struct NewWeatherCloud {
  std::uint16_t UpperAlt;   // metres
  std::uint16_t LowerAlt;   // metres
  std::uint16_t Deviation;  // metres
  std::uint8_t Coverage;    // octas 0..8
  std::uint8_t Type;        // 1 cirrus, 8 stratus, 9 cumulus, 10 thunderstorm
  std::uint8_t Turbulence;  // 0..4
  std::uint8_t Icing;       // 0..4
  std::int16_t PrecipBase;  // metres
  std::uint8_t PrecipType;  // 0 none, 1 rain, 2 snow
  std::uint8_t PrecipRate;  // 0..5
  std::uint8_t TopShape;
  std::uint8_t Spare;
};

struct NewWeatherVis {
  std::uint16_t UpperAlt;  // metres
  std::int16_t LowerAlt;   // metres
  std::uint16_t Range;     // units of the surface visibility range
  std::uint16_t Spare;
};

constexpr int kMaxTempLayers = 24;
constexpr int kMaxWindLayers = 24;
constexpr int kMaxCloudLayers = 16;
constexpr int kMaxUpperVisLayers = 14;
constexpr std::size_t kNewWeatherSize = 1024;

// The values of NewWeather::Command.
constexpr std::uint16_t kWeatherCommandReportRecord = 0x101;  // converted from reports
constexpr std::uint16_t kWeatherCommandManualRecord = 1;      // typed in by hand

struct NewWeather {
  std::uint16_t Command;  // kWeatherCommandReportRecord or kWeatherCommandManualRecord
  std::uint16_t Reserved2;
  std::uint32_t Reserved4;
  char Icao[4];  // UTF-8, zero-padded, no terminator when four long
  std::uint16_t Reserved12;
  std::uint8_t Padding14[2];  // keeps the double at 16 where the module expects it
  double Reserved16;
  double Reserved24;
  std::uint32_t Reserved32;
  std::uint32_t Reserved36;
  std::uint16_t Pressure;  // sea-level pressure, hPa * 16
  std::uint16_t Reserved42;
  std::uint16_t VisUpperAlt;  // metres
  std::int16_t VisLowerAlt;   // metres
  std::uint16_t VisRange;     // converted: units of 15.92 m
  std::uint16_t Reserved50;
  std::int32_t TempCount;
  NewWeatherTemp Temp[kMaxTempLayers];
  std::int32_t WindCount;
  NewWeatherWind Wind[kMaxWindLayers];
  std::int32_t CloudCount;
  NewWeatherCloud Cloud[kMaxCloudLayers];
  std::uint8_t Reserved896[12];
  std::int32_t UpperVisCount;  // 0 or 2
  NewWeatherVis UpperVis[kMaxUpperVisLayers];
};

static_assert(sizeof(NewWeatherTemp) == 8);
static_assert(sizeof(NewWeatherWind) == 16);
static_assert(sizeof(NewWeatherCloud) == 16);
static_assert(sizeof(NewWeatherVis) == 8);
static_assert(sizeof(NewWeather) == kNewWeatherSize);

static_assert(offsetof(NewWeatherTemp, Temperature) == 2 && offsetof(NewWeatherTemp, Kind) == 4 &&
              offsetof(NewWeatherTemp, DewPoint) == 6);
static_assert(offsetof(NewWeatherWind, Speed) == 2 && offsetof(NewWeatherWind, Gust) == 4 &&
              offsetof(NewWeatherWind, Direction) == 6 && offsetof(NewWeatherWind, Turbulence) == 8 &&
              offsetof(NewWeatherWind, Shear) == 9 && offsetof(NewWeatherWind, Variance) == 10 &&
              offsetof(NewWeatherWind, SurfaceFlag) == 12 && offsetof(NewWeatherWind, Spare) == 14);
static_assert(offsetof(NewWeatherCloud, LowerAlt) == 2 && offsetof(NewWeatherCloud, Deviation) == 4 &&
              offsetof(NewWeatherCloud, Coverage) == 6 && offsetof(NewWeatherCloud, Type) == 7 &&
              offsetof(NewWeatherCloud, Turbulence) == 8 && offsetof(NewWeatherCloud, Icing) == 9 &&
              offsetof(NewWeatherCloud, PrecipBase) == 10 && offsetof(NewWeatherCloud, PrecipType) == 12 &&
              offsetof(NewWeatherCloud, PrecipRate) == 13 && offsetof(NewWeatherCloud, TopShape) == 14 &&
              offsetof(NewWeatherCloud, Spare) == 15);
static_assert(offsetof(NewWeatherVis, LowerAlt) == 2 && offsetof(NewWeatherVis, Range) == 4 &&
              offsetof(NewWeatherVis, Spare) == 6);
static_assert(offsetof(NewWeather, Reserved2) == 2 && offsetof(NewWeather, Reserved4) == 4 &&
              offsetof(NewWeather, Icao) == 8 && offsetof(NewWeather, Reserved12) == 12 &&
              offsetof(NewWeather, Reserved16) == 16 && offsetof(NewWeather, Reserved24) == 24 &&
              offsetof(NewWeather, Reserved32) == 32 && offsetof(NewWeather, Reserved36) == 36 &&
              offsetof(NewWeather, Pressure) == 40 && offsetof(NewWeather, Reserved42) == 42 &&
              offsetof(NewWeather, VisUpperAlt) == 44 && offsetof(NewWeather, VisLowerAlt) == 46 &&
              offsetof(NewWeather, VisRange) == 48 && offsetof(NewWeather, Reserved50) == 50 &&
              offsetof(NewWeather, TempCount) == 52 && offsetof(NewWeather, Temp) == 56 &&
              offsetof(NewWeather, WindCount) == 248 && offsetof(NewWeather, Wind) == 252 &&
              offsetof(NewWeather, CloudCount) == 636 && offsetof(NewWeather, Cloud) == 640 &&
              offsetof(NewWeather, Reserved896) == 896 && offsetof(NewWeather, UpperVisCount) == 908 &&
              offsetof(NewWeather, UpperVis) == 912);

// The record exactly as the module reads it. Our targets are little-endian, like the module's.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "NewWeather is written as its in-memory bytes");

using NewWeatherBytes = std::array<std::uint8_t, kNewWeatherSize>;

inline NewWeatherBytes ToBytes(const NewWeather& record) {
  NewWeatherBytes bytes;
  std::memcpy(bytes.data(), &record, kNewWeatherSize);
  return bytes;
}

// Every byte zero, padding included: the simulator never sees an earlier station's leftovers.
inline void ClearNewWeather(NewWeather* record) { std::memset(record, 0, sizeof *record); }
