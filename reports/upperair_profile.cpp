#include "reports/upperair_profile.h"

#include <algorithm>
#include <bitset>
#include <cmath>

#include "base/units.h"
#include "reports/report_pattern.h"
#include "reports/temp_groups.h"

namespace {

constexpr int kTtbbThousandsBelow = 100;  // Part B reaches 100 hPa: smaller figures are 1000-1099 hPa
constexpr int kMaxTropopausePressure = 499;
constexpr int kMinMaxWindPressure = 51;
constexpr int kMaxMaxWindPressure = 1199;
constexpr float kHalfTurn = 180.0f;

// nn of a significant level: 00 the surface, then 11, 22, ... 99 over and over.
bool IsSignificantLevelIndicator(const wxString& group) {
  return AllDigits(group, 0, 2) && group[0] == group[1];
}

UpperLevel MissingLevel() {
  UpperLevel level;
  level.Height = kMissingHeightM;
  level.Temperature = kMissingTemperatureC;
  level.DewPoint = kMissingTemperatureC;
  level.Direction = kMissingWind;
  level.Speed = kMissingWind;
  return level;
}

// The pressures already in a profile, one bit each, so that a long TTBB part merges in one pass.
class PressureSet {
 public:
  // False when the pressure was there already.
  bool Add(std::int16_t pressure) {
    const auto bit = static_cast<std::uint16_t>(pressure);
    if (seen_[bit]) return false;
    seen_[bit] = true;
    return true;
  }

 private:
  std::bitset<65536> seen_;
};

// Where along a bracket a level lies: its pressure below the upper bracket's, and the bracket's
// pressure span. Values change by (difference / span) per hPa, held as a float.
struct Bracket {
  float fromTop;
  float span;
  float Slope(float from, float to) const { return (to - from) / span; }
};

// Fills each run of levels where known() is false from the levels just before and just after the
// run, with fill(level, above-in-list, below-in-list, bracket). A run without a level on both
// sides, or between brackets of equal pressure, stays as it is.
template <typename Known, typename Fill>
void FillMissing(std::vector<UpperLevel>& levels, Known known, Fill fill) {
  std::size_t i = 1;
  while (i < levels.size()) {
    if (known(levels[i])) {
      ++i;
      continue;
    }
    std::size_t b = i + 1;
    while (b < levels.size() && !known(levels[b])) ++b;
    const bool bracketed =
        b < levels.size() && known(levels[i - 1]) && levels[i - 1].Pressure != levels[b].Pressure;
    for (std::size_t k = i; bracketed && k < b; ++k) {
      const UpperLevel& above = levels[i - 1];
      const UpperLevel& below = levels[b];
      const Bracket bracket{static_cast<float>(above.Pressure - levels[k].Pressure),
                            static_cast<float>(above.Pressure - below.Pressure)};
      fill(levels[k], above, below, bracket);
    }
    i = b;
  }
}

float Between(float from, float to, const Bracket& at) { return from + at.fromTop * at.Slope(from, to); }

// The direction at a bracket point, turning from one direction to the other the shorter way.
std::uint16_t DirectionBetween(std::uint16_t from, std::uint16_t to, const Bracket& at) {
  float turn = static_cast<float>(to) - static_cast<float>(from);
  if (turn > kHalfTurn) turn -= kDegreesPerTurn;
  if (turn < -kHalfTurn) turn += kDegreesPerTurn;
  float direction = static_cast<float>(from) + at.fromTop * (turn / at.span);
  if (direction < 0.0f) direction += kDegreesPerTurn;
  if (direction >= kDegreesPerTurn) direction -= kDegreesPerTurn;
  return static_cast<std::uint16_t>(std::trunc(direction));
}

bool HasHeight(const UpperLevel& l) { return l.Height != kMissingHeightM; }
bool HasTemperature(const UpperLevel& l) { return !IsMissing(l.Temperature); }
bool HasDewPoint(const UpperLevel& l) { return !IsMissing(l.DewPoint); }
bool HasLevelWind(const UpperLevel& l) { return HasWind(l.Direction) && l.Speed != kMissingWind; }

// Magnus form: saturation vapour pressure in hPa over water (0 degrees C and above) or ice.
double SaturationPressureHpa(double celsius) {
  const double a = celsius >= 0.0 ? 7.5 : 7.6;
  const double b = celsius >= 0.0 ? 237.3 : 240.7;
  return 6.1078 * std::pow(10.0, a * celsius / (b + celsius));
}

}  // namespace

bool DecodeTTBB(UpperairPart* part) {
  part->Levels.clear();
  static thread_local const ReportPattern kHeader(kTtbbHeader);
  if (!kHeader.Search(part->Raw)) return false;
  // Only what follows the header is the part: a bulletin heading before it is not data.
  TempGroupReader groups(part->Raw, kHeader.End());
  wxString first;
  wxString temperature;
  while (groups.Next(&first) && IsSignificantLevelIndicator(first) && groups.Next(&temperature)) {
    if (!AllDigits(first, 2, 3)) continue;  // no pressure: no level
    const int ppp = GroupNumber(first, 2, 3);
    UpperLevel level = MissingLevel();
    level.Pressure = static_cast<std::int16_t>(ppp < kTtbbThousandsBelow ? ppp + 1000 : ppp);
    ReadTemperatureGroup(temperature, &level.Temperature, &level.DewPoint);
    part->Levels.push_back(level);
  }
  return true;
}

bool DecodePPBB(UpperairPart* part) {
  part->Levels.clear();
  static thread_local const ReportPattern kHeader(kPpbbHeader);
  return kHeader.Search(part->Raw);
}

bool MergeUpperair(UpperairRecord* output, const UpperairRecord* ttaa, const UpperairPart* ttbb) {
  output->Station = ttaa->Station;
  if (!ttbb->Station.Id.empty() && ttbb->Station.Id != ttaa->Station.Id) return false;

  std::vector<UpperLevel>& levels = output->Levels;
  const std::int16_t tropopause = ttaa->Tropopause.Pressure;
  if (tropopause >= 1 && tropopause <= kMaxTropopausePressure) levels.push_back(ttaa->Tropopause);
  const std::int16_t maxWind = ttaa->MaxWind.Pressure;
  if (maxWind >= kMinMaxWindPressure && maxWind <= kMaxMaxWindPressure) {
    levels.push_back(ttaa->MaxWind);
    output->MaxWind = ttaa->MaxWind;
  } else {
    output->MaxWind = UpperLevel();
    output->MaxWind.Pressure = kNoMaxWindPressure;
  }
  if (ttaa->Surface.Pressure > 0) levels.push_back(ttaa->Surface);  // 99/// names no level
  output->Surface = ttaa->Surface;
  output->Tropopause = ttaa->Tropopause;
  levels.insert(levels.end(), ttaa->Levels.begin(), ttaa->Levels.end());
  PressureSet present;
  for (const UpperLevel& level : levels) present.Add(level.Pressure);
  for (const UpperLevel& level : ttbb->Levels) {
    if (present.Add(level.Pressure)) levels.push_back(level);
  }
  std::stable_sort(levels.begin(), levels.end(), ComparePressure);
  return true;
}

void InterpolateLevels(UpperairRecord* record) {
  std::vector<UpperLevel>& levels = record->Levels;
  FillMissing(levels, HasTemperature,
              [](UpperLevel& l, const UpperLevel& a, const UpperLevel& b, const Bracket& f) {
                l.Temperature = Between(a.Temperature, b.Temperature, f);
              });
  FillMissing(levels, HasDewPoint,
              [](UpperLevel& l, const UpperLevel& a, const UpperLevel& b, const Bracket& f) {
                l.DewPoint = Between(a.DewPoint, b.DewPoint, f);
              });
  FillMissing(levels, HasHeight,
              [](UpperLevel& l, const UpperLevel& a, const UpperLevel& b, const Bracket& f) {
                const float height = Between(static_cast<float>(a.Height), static_cast<float>(b.Height), f);
                l.Height = static_cast<std::int32_t>(std::trunc(height));
              });
  FillMissing(levels, HasLevelWind,
              [](UpperLevel& l, const UpperLevel& a, const UpperLevel& b, const Bracket& f) {
                l.Direction = DirectionBetween(a.Direction, b.Direction, f);
                const float speed = Between(static_cast<float>(a.Speed), static_cast<float>(b.Speed), f);
                l.Speed = static_cast<std::uint16_t>(std::trunc(speed));  // between two speeds of 0-999
              });
}

bool CalcHumidity(UpperairRecord* record) {
  for (UpperLevel& level : record->Levels) {
    if (IsMissing(level.Temperature) || IsMissing(level.DewPoint)) {
      level.Humidity = kMissingTemperatureC;
      continue;
    }
    const double ratio = SaturationPressureHpa(level.DewPoint) / SaturationPressureHpa(level.Temperature);
    level.Humidity = static_cast<float>(100.0 * ratio);
  }
  return true;
}

bool ComparePressure(const UpperLevel& a, const UpperLevel& b) { return a.Pressure > b.Pressure; }
