#include <algorithm>

#include "base/saturate.h"
#include "reports/upperair_records.h"
#include "simlink/convert_weather.h"
#include "simlink/record_units.h"

namespace {

constexpr std::size_t kMinSoundingLevels = 3;
constexpr std::int16_t kMaxPressureHpa = 1200;  // levels at this pressure and above are not taken
constexpr int kFirstUpperLayer = 2;             // layers 0 and 1 are the METAR's surface and station
constexpr std::int16_t kUpperTempKind = 2;
constexpr int kHalfTurnDeg = 180;
// The strongest wind the simulator takes. Real jets can be stronger (the speed's hundreds come
// from the direction group); they are written at the limit rather than losing the station.
constexpr std::uint16_t kMaxUpperWindKt = 200;

// Altitude of a standard pressure level, metres above sea level.
struct StandardLevel {
  std::int16_t pressureHpa;
  std::uint16_t altitudeM;
};
constexpr StandardLevel kStandardLevels[] = {
    {100, 16154}, {150, 13716}, {200, 11887}, {250, 10363}, {300, 9144}, {350, 8229}, {400, 7315},
    {450, 6400},  {500, 5486},  {600, 4267},  {700, 3048},  {850, 1523}, {925, 914},
};

bool StandardAltitude(std::int16_t pressure, std::uint16_t* altitude) {
  for (const StandardLevel& level : kStandardLevels) {
    if (level.pressureHpa == pressure) {
      *altitude = level.altitudeM;
      return true;
    }
  }
  return false;
}

// A level that interpolation could not complete still carries a missing marker somewhere.
bool IsComplete(const UpperLevel& level) {
  return level.Height != kMissingHeightM && !IsMissing(level.Temperature) && !IsMissing(level.DewPoint) &&
         HasWind(level.Direction) && level.Speed != kMissingWind;
}

// Where the sounding's levels go: the tropopause and the maximum wind at their own height, the
// standard levels at the table's altitude; any other pressure has no place.
bool LevelAltitude(const UpperLevel& level, const UpperairRecord& sounding, std::uint16_t* altitude) {
  if (level.Pressure == sounding.Tropopause.Pressure || level.Pressure == sounding.MaxWind.Pressure) {
    *altitude = saturate<std::uint16_t>(level.Height);
    return true;
  }
  return StandardAltitude(level.Pressure, altitude);
}

// A surface wind that has a direction: not variable and not calm.
bool HasDirection(std::uint16_t direction, std::uint16_t speed) {
  return direction != kVariableWindDirection && HasWind(direction) && speed > 0;
}

// Degrees to turn the sounding's winds so that its surface wind meets the METAR's.
int AlignmentOffset(const UpperairRecord& sounding, const MetarRecord& metar, bool align) {
  if (!align || !HasDirection(metar.WindDirection, metar.WindSpeed) ||
      !HasDirection(sounding.Surface.Direction, sounding.Surface.Speed)) {
    return 0;
  }
  return int{metar.WindDirection} - int{sounding.Surface.Direction};
}

int FoldDirection(int direction) {
  direction %= kDegreesPerTurn;
  return direction < 0 ? direction + kDegreesPerTurn : direction;
}

// Limits the turn from the previous level's direction, measured along the shorter arc, so that
// 350 followed by 10 is a turn of 20 degrees, not of 340.
int LimitShift(int direction, int previous, int maxShift) {
  const int turn = FoldDirection(direction - previous + kHalfTurnDeg) - kHalfTurnDeg;
  if (turn > maxShift) return FoldDirection(previous + maxShift);
  if (turn < -maxShift) return FoldDirection(previous - maxShift);
  return direction;
}

// The options' largest shift, as the 16-bit number it is stored as; a negative one allows none.
int MaxShiftDeg(std::int32_t option) { return std::max<int>(saturate<std::int16_t>(option), 0); }

// Turns a sounding's directions to meet the METAR's surface wind and limits the shift from one
// level taken to the next.
class DirectionAligner {
 public:
  DirectionAligner(const UpperairRecord& sounding, const MetarRecord& metar, bool align,
                   std::int32_t maxShift)
      : align_(align),
        offset_(AlignmentOffset(sounding, metar, align)),
        maxShift_(MaxShiftDeg(maxShift)),
        // Without a surface direction there is nothing to hold the first level to.
        havePrevious_(HasDirection(metar.WindDirection, metar.WindSpeed)),
        previous_(metar.WindDirection) {}

  int Next(std::uint16_t reported) {
    int direction = FoldDirection(reported + offset_);
    if (!align_) return direction;
    if (havePrevious_) direction = LimitShift(direction, previous_, maxShift_);
    previous_ = direction;
    havePrevious_ = true;
    return direction;
  }

 private:
  bool align_;
  int offset_;
  int maxShift_;
  bool havePrevious_;
  int previous_;
};

// A level is taken when it lies above the station, is complete and has a place in the record.
bool TakeLevel(const UpperLevel& level, const UpperairRecord& sounding, double stationM,
               std::uint16_t* altitude) {
  return level.Pressure > 0 && level.Pressure < kMaxPressureHpa && level.Height > stationM &&
         IsComplete(level) && LevelAltitude(level, sounding, altitude);
}

void ClearUpperLayers(NewWeather* record) {
  for (int i = kFirstUpperLayer; i < kMaxTempLayers; ++i) record->Temp[i] = NewWeatherTemp{};
  for (int i = kFirstUpperLayer; i < kMaxWindLayers; ++i) {
    const std::uint16_t spare = record->Wind[i].Spare;
    record->Wind[i] = NewWeatherWind{};
    record->Wind[i].Spare = spare;
  }
}

}  // namespace

bool ClConvertWeather::ConvertUpperair(NewWeather* record, const UpperairRecord* upperair,
                                       const MetarRecord* metar) {
  if (record == nullptr || upperair == nullptr || metar == nullptr) return false;
  if (upperair->Levels.size() < kMinSoundingLevels) return true;
  ClearUpperLayers(record);

  DirectionAligner aligner(*upperair, *metar, Options.AlignUpperWinds, Options.MaxWindShift);
  const double stationM = FeetToMetres(metar->Elevation);
  int n = kFirstUpperLayer;
  for (const UpperLevel& level : upperair->Levels) {
    std::uint16_t altitude = 0;
    if (!TakeLevel(level, *upperair, stationM, &altitude)) continue;
    if (n >= kMaxWindLayers) return false;  // more levels than the record holds
    NewWeatherWind& wind = record->Wind[n];
    wind.Altitude = altitude;
    wind.Speed = std::min(level.Speed, kMaxUpperWindKt);
    wind.Direction = AngleWord(aligner.Next(level.Direction));
    record->Temp[n] = {altitude, saturate<std::int16_t>(level.Temperature), kUpperTempKind,
                       saturate<std::int16_t>(level.DewPoint)};
    ++n;
  }
  record->TempCount = n;
  record->WindCount = n;
  return CheckNewWeather(record);
}
