#include <algorithm>
#include <cstring>

#include "base/saturate.h"
#include "simlink/convert_weather.h"
#include "simlink/new_weather.h"
#include "simlink/record_units.h"

namespace {

constexpr std::size_t kIcaoBytes = 4;
constexpr int kPressure16thsPerHpa = 16;

// Surface visibility: a band from just below the station to 5000 ft above it.
constexpr double kVisFloorBelowStationM = 30.0;
constexpr double kVisTopAboveStationFt = 5000.0;
constexpr std::uint16_t kUnrestrictedVisRange = 1884;  // ten kilometres or more

constexpr int kMetarLayers = 20;  // temperature and wind layers built from the METAR alone
constexpr double kSecondWindLayerFt = 300.0;
constexpr std::uint16_t kSurfaceLayerMark = 65000;
constexpr std::int16_t kSurfaceTempKind = 3;
constexpr std::int16_t kUpperTempKind = 2;

// Gust option: a slight gust and a slight swing even where the report gives none.
constexpr std::uint16_t kAssumedGustKt = 5;
constexpr std::uint16_t kAssumedVarianceWord = 3640;  // about 20 degrees
constexpr double kSectorFoldAboveDeg = 179.0;         // a wider difference is measured the other way round
// A variable wind: direction of one degree, swinging nearly all round.
constexpr std::uint16_t kVariableDirectionWord = 182;
constexpr std::uint16_t kVariableVarianceWord = 65353;

// Above the station: one layer per 1000 m, 2 kt stronger, veering 2 degrees and 6 degrees
// colder per layer, never colder than -52 degrees.
constexpr int kLayerStepM = 1000;
constexpr int kSpeedStepKt = 2;
constexpr int kVeerStepDeg = 2;
constexpr int kCoolingStepC = 6;
constexpr int kColdestUpperC = -52;

constexpr int kCloudThicknessM = 500;
constexpr std::uint16_t kCloudDeviationM = 100;
constexpr std::int32_t kPrecipCloudBelowFt = 10000;  // present weather falls from layers below this
constexpr int kRainCloudThicknessM = 4000;
constexpr int kSnowCloudThicknessM = 3000;
constexpr std::uint16_t kShowerTopM = 6000;         // above sea level
constexpr std::uint16_t kThunderstormTopM = 10000;  // above sea level
constexpr double kPrecipBaseBelowStationM = 5.0;
constexpr std::int32_t kThunderstormBaseBelowFt = 3000;
constexpr std::int32_t kCirrusAboveFt = 28000;  // above sea level

enum CloudType : std::uint8_t { kCirrus = 1, kCumulus = 9, kThunderstorm = 10 };
enum PrecipType : std::uint8_t { kNoPrecip = 0, kRain = 1, kSnow = 2 };

// A METAR direction as a signed angle: the variable wind counts as -1 degree.
int SignedDirection(std::uint16_t direction) { return direction == kVariableWindDirection ? -1 : direction; }

// The ICAO's UTF-8 bytes, at most four, cut at a character boundary and zero-padded.
void WriteStation(const wxString& icao, char (&out)[kIcaoBytes]) {
  const wxScopedCharBuffer utf8 = icao.utf8_str();
  std::size_t length = std::min(utf8.length(), kIcaoBytes);
  if (length < utf8.length()) {
    while (length > 0 && (static_cast<unsigned char>(utf8.data()[length]) & 0xC0) == 0x80) --length;
  }
  std::memset(out, 0, kIcaoBytes);
  std::memcpy(out, utf8.data(), length);
}

void WriteHeader(NewWeather* record, const MetarRecord& metar) {
  WriteStation(metar.Icao, record->Icao);
  record->Command = kWeatherCommandReportRecord;
  record->Pressure = saturate<std::uint16_t>(std::int64_t{metar.Pressure} * kPressure16thsPerHpa);
  record->UpperVisCount = 0;
}

void WriteSurfaceVisibility(NewWeather* record, const MetarRecord& metar) {
  const double elevation = metar.Elevation;
  record->VisLowerAlt = saturate<std::int16_t>(FeetToMetres(elevation) - kVisFloorBelowStationM);
  record->VisRange = metar.Visibility == kUnrestrictedVisibilityM
                         ? kUnrestrictedVisRange
                         : saturate<std::uint16_t>(VisRangeOfMetres(metar.Visibility));
  record->VisUpperAlt = saturate<std::uint16_t>(FeetToMetres(elevation + kVisTopAboveStationFt));
}

std::uint8_t TurbulenceOfGust(std::uint16_t gust) {
  if (gust >= 30) return 4;
  if (gust >= 20) return 3;
  if (gust >= 10) return 2;
  if (gust >= 5) return 1;
  return 0;
}

// Knots above the mean speed. A gust below the mean wraps far beyond the check's limit on
// purpose, so that such a report is rejected rather than sent.
std::uint16_t GustField(const MetarRecord& metar, bool gustOption) {
  if (!gustOption) return 0;
  if (metar.WindGust == 0) return kAssumedGustKt;
  return wrap<std::uint16_t>(int{metar.WindGust} - int{metar.WindSpeed});
}

// Width of the variable sector, given clockwise from From to To.
std::uint16_t SectorVariance(const MetarRecord& metar, bool gustOption) {
  if (metar.VariableFrom == kNoVariableSector || metar.VariableTo == kNoVariableSector) {
    return gustOption ? kAssumedVarianceWord : 0;
  }
  double sector = int{metar.VariableFrom} - int{metar.VariableTo};
  if (sector > kSectorFoldAboveDeg) sector = kDegreesPerTurn - sector;
  if (sector < 0) sector = -sector;
  return AngleWord(sector);
}

void WriteSurfaceWind(NewWeather* record, const MetarRecord& metar, bool gustOption) {
  NewWeatherWind& surface = record->Wind[0];
  surface.Altitude = 0;
  surface.Speed = metar.WindSpeed;
  surface.Direction = AngleWord(SignedDirection(metar.WindDirection));
  surface.Gust = GustField(metar, gustOption);
  surface.Turbulence = TurbulenceOfGust(surface.Gust);
  surface.Shear = 0;
  surface.Variance = 0;
  surface.SurfaceFlag = kSurfaceLayerMark;

  record->Wind[1] = surface;
  record->Wind[1].Altitude = saturate<std::uint16_t>(FeetToMetres(metar.Elevation + kSecondWindLayerFt));

  surface.Variance = SectorVariance(metar, gustOption);
  if (metar.WindDirection == kVariableWindDirection) {
    surface.Direction = kVariableDirectionWord;
    surface.Variance = kVariableVarianceWord;
  }
}

void WriteSurfaceTemperature(NewWeather* record, const MetarRecord& metar) {
  const std::int16_t temperature = saturate<std::int16_t>(metar.Temperature);
  const std::int16_t dewPoint = saturate<std::int16_t>(metar.DewPoint);
  record->Temp[0] = {0, temperature, kSurfaceTempKind, dewPoint};
  record->Temp[1] = {saturate<std::uint16_t>(FeetToMetres(metar.Elevation)), temperature, kSurfaceTempKind,
                     dewPoint};
}

void WriteUpperLayers(NewWeather* record, const MetarRecord& metar) {
  const int direction = SignedDirection(metar.WindDirection);
  for (int i = 2; i < kMetarLayers; ++i) {
    const std::uint16_t altitude = saturate<std::uint16_t>(kLayerStepM * i);
    NewWeatherWind& wind = record->Wind[i];
    wind = NewWeatherWind{};
    wind.Altitude = altitude;
    wind.Speed = saturate<std::uint16_t>(int{metar.WindSpeed} + kSpeedStepKt * i);
    wind.Direction = AngleWord(direction + kVeerStepDeg * i);

    const std::int64_t temperature =
        std::max<std::int64_t>(std::int64_t{metar.Temperature} - kCoolingStepC * i, kColdestUpperC);
    record->Temp[i] = {altitude, saturate<std::int16_t>(temperature), kUpperTempKind,
                       saturate<std::int16_t>(metar.DewPoint)};
  }
  record->TempCount = kMetarLayers;
  record->WindCount = kMetarLayers;
}

bool Contains(const wxString& weather, const wchar_t* code) { return weather.find(code) != wxString::npos; }

NewWeatherCloud CloudOf(const CloudLayer& layer, const MetarRecord& metar, bool turbulenceOption) {
  const std::int32_t base = layer.Base;
  const wxString& weather = metar.PresentWeather;
  const bool precipitating = base < kPrecipCloudBelowFt;

  NewWeatherCloud cloud{};
  cloud.Coverage = saturate<std::uint8_t>(2 * int{layer.Cover});  // eighths from quarters
  cloud.LowerAlt = saturate<std::uint16_t>(FeetToMetres(static_cast<double>(base) + metar.Elevation));
  cloud.UpperAlt = saturate<std::uint16_t>(int{cloud.LowerAlt} + kCloudThicknessM);
  cloud.Deviation = kCloudDeviationM;
  cloud.Turbulence = turbulenceOption ? 1 : 0;
  if (precipitating && (Contains(weather, L"RA") || Contains(weather, L"DZ"))) {
    cloud.UpperAlt = saturate<std::uint16_t>(int{cloud.LowerAlt} + kRainCloudThicknessM);
    cloud.PrecipType = kRain;
    cloud.PrecipRate = metar.Intensity;
    if (turbulenceOption) cloud.Turbulence = 2;
  }
  if (precipitating && Contains(weather, L"SN")) {
    cloud.UpperAlt = saturate<std::uint16_t>(int{cloud.LowerAlt} + kSnowCloudThicknessM);
    cloud.PrecipType = kSnow;
    cloud.PrecipRate = metar.Intensity;
    if (turbulenceOption) cloud.Turbulence = 1;
  }
  if (precipitating && Contains(weather, L"SH")) {
    cloud.PrecipType = metar.Temperature <= 0 ? kSnow : kRain;
    cloud.PrecipRate = metar.Intensity;
    cloud.UpperAlt = kShowerTopM;
    if (turbulenceOption) cloud.Turbulence = 1;
  }
  if (precipitating && Contains(weather, L"TS")) {
    cloud.PrecipType = kRain;
    cloud.PrecipRate = metar.Intensity;
    cloud.UpperAlt = kThunderstormTopM;
  }
  cloud.PrecipBase = saturate<std::int16_t>(FeetToMetres(metar.Elevation) - kPrecipBaseBelowStationM);
  cloud.Type = kCumulus;
  if (base < kThunderstormBaseBelowFt && Contains(weather, L"TS")) {
    cloud.Type = kThunderstorm;
    if (turbulenceOption) cloud.Turbulence = 3;
  }
  if (std::int64_t{base} + metar.Elevation > kCirrusAboveFt) {
    cloud.Type = kCirrus;
    cloud.Turbulence = 0;
    cloud.PrecipType = kNoPrecip;
  }
  // The fixed shower and thunderstorm tops lie below the base of a layer at a high station.
  cloud.UpperAlt = std::max(cloud.UpperAlt, cloud.LowerAlt);
  return cloud;
}

void WriteClouds(NewWeather* record, const MetarRecord& metar, bool turbulenceOption) {
  // The record holds 16 layers; groups beyond them are dropped.
  const int count = static_cast<int>(std::min<std::size_t>(metar.Clouds.size(), kMaxCloudLayers));
  for (int k = 0; k < count; ++k) record->Cloud[k] = CloudOf(metar.Clouds[k], metar, turbulenceOption);
  record->CloudCount = count;
  // Visibility reaches up to the top of a low first layer.
  if (count > 0 && metar.Clouds[0].Base < kPrecipCloudBelowFt)
    record->VisUpperAlt = record->Cloud[0].UpperAlt;
}

}  // namespace

bool ClConvertWeather::ConvertMetar(NewWeather* record, const MetarRecord* metar) {
  if (record == nullptr || metar == nullptr) return false;
  // Every byte starts at zero: no field keeps an earlier station's value.
  ClearNewWeather(record);
  WriteHeader(record, *metar);
  WriteSurfaceVisibility(record, *metar);
  WriteSurfaceWind(record, *metar, Options.SurfaceWindGust);
  WriteSurfaceTemperature(record, *metar);
  WriteUpperLayers(record, *metar);
  WriteClouds(record, *metar, Options.TurbulenceCloud);
  return true;
}
