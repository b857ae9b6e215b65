#pragma once

#include <cstdint>
#include <ostream>

#include "reports/upperair_records.h"

// Compared field by field, temperatures to a hundredth of a degree.
inline bool operator==(const UpperLevel& a, const UpperLevel& b) {
  const auto close = [](float x, float y) { return x == y || (x - y < 0.01f && y - x < 0.01f); };
  return a.Pressure == b.Pressure && a.Height == b.Height && close(a.Temperature, b.Temperature) &&
         close(a.DewPoint, b.DewPoint) && a.Direction == b.Direction && a.Speed == b.Speed;
}

inline void PrintTo(const UpperLevel& l, std::ostream* os) {
  *os << "{" << l.Pressure << " hPa, " << l.Height << " m, " << l.Temperature << "/" << l.DewPoint << " C, "
      << l.Direction << " deg " << l.Speed << " kt}";
}

namespace testsupport {

// An upper-air level with every field named at the call, as the levels of a sounding read:
//   LevelAt(850).Height(1500).Temperature(8.7f).DewPoint(-1.6f).Wind(250, 25)
// A field not named keeps UpperLevel's default. The whole-number fields refuse a float, and
// float and whole-number arguments mixed in one wind, so a value in the wrong place does not
// compile.
class LevelAt {
 public:
  explicit LevelAt(int hpa) { level_.Pressure = static_cast<std::int16_t>(hpa); }
  explicit LevelAt(float) = delete;

  LevelAt Height(int metres) const { return With(&UpperLevel::Height, metres); }
  LevelAt Height(float) const = delete;
  LevelAt Temperature(float celsius) const { return With(&UpperLevel::Temperature, celsius); }
  LevelAt DewPoint(float celsius) const { return With(&UpperLevel::DewPoint, celsius); }
  LevelAt Wind(int degrees, int knots) const { return Direction(degrees).Speed(knots); }
  LevelAt Wind(float, float) const = delete;
  LevelAt Direction(int degrees) const { return With(&UpperLevel::Direction, degrees); }
  LevelAt Direction(float) const = delete;
  LevelAt Speed(int knots) const { return With(&UpperLevel::Speed, knots); }
  LevelAt Speed(float) const = delete;
  LevelAt Humidity(float percent) const { return With(&UpperLevel::Humidity, percent); }

  operator UpperLevel() const { return level_; }

  friend void PrintTo(const LevelAt& level, std::ostream* os) { ::PrintTo(level.level_, os); }

 private:
  template <typename Field, typename Value>
  LevelAt With(Field UpperLevel::*field, Value value) const {
    LevelAt next = *this;
    next.level_.*field = static_cast<Field>(value);
    return next;
  }

  UpperLevel level_;
};

}  // namespace testsupport
