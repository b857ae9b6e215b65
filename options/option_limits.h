#pragma once

#include <algorithm>
#include <cstdint>

#include "options/option_data.h"

// The ranges the options dialog lets a user choose. The ini file may hold anything; the update
// cycle reads the two values it counts and compares with through these, so a hand-edited file
// can neither overflow the countdown nor trigger a send on every tick.
constexpr std::int32_t kMinWeatherupdateMinutes = 10;
constexpr std::int32_t kMaxWeatherupdateMinutes = 100;
constexpr std::int32_t kMinRangeNm = 200;
constexpr std::int32_t kMaxRangeNm = 3000;

inline std::int32_t WeatherupdateMinutes(const OptionData& options) {
  return std::clamp(options.Weatherupdate, kMinWeatherupdateMinutes, kMaxWeatherupdateMinutes);
}

inline std::int32_t RangeNm(const OptionData& options) {
  return std::clamp(options.wxRange, kMinRangeNm, kMaxRangeNm);
}
