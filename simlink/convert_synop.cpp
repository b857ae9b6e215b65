#include <algorithm>
#include <vector>

#include "base/saturate.h"
#include "reports/geometry.h"
#include "reports/report_text.h"
#include "reports/synop_record.h"
#include "simlink/convert_weather.h"
#include "simlink/record_units.h"

namespace {

// A SYNOP counts when it is at most two hours newer than the METAR and less than 60 km away.
constexpr std::int64_t kFreshHours = 2;
constexpr std::int32_t kNearbyKm = 60;
constexpr std::size_t kHourAt = 2;  // "ddhhmmZ" and "YYGG" both give the hour at characters 2 and 3
constexpr std::size_t kHourDigits = 2;

// Surface visibility from the SYNOP, taken only where the METAR says ten kilometres or more.
constexpr std::uint16_t kMetarTenKmRange = 628;
constexpr int kUpperVisDepthM = 1000;
constexpr int kUpperVisRangeGain = 200;
constexpr std::int32_t kUpperVisLayers = 2;

// Bands of the METAR layer's base above the station, with the SYNOP code that types it.
constexpr std::int32_t kLowBandTopFt = 8000;
constexpr std::int32_t kMiddleBandTopFt = 18000;
constexpr std::uint8_t kCodeNotGiven = 10;
constexpr std::uint16_t kCumulonimbusDeviationM = 2000;
constexpr std::uint8_t kCumulonimbusTurbulence = 3;

enum CloudType : std::uint8_t { kCirrus = 1, kStratus = 8, kCumulus = 9 };

// An extra layer of mixed clouds, its altitudes relative to the main layer's lower altitude.
struct ExtraLayer {
  int lowerOffsetM;
  int upperOffsetM;
  std::uint8_t type;
};

struct CloudShape {
  std::uint8_t type;
  int thicknessM;
  std::vector<ExtraLayer> extras;  // only with the mixed-clouds option
};

// CL: low clouds. Code 9 (cumulonimbus) is shaped further in LowShape.
const CloudShape kLowShapes[] = {
    {kCumulus, 300, {}},
    {kCumulus, 300, {}},
    {kCumulus, 2000, {}},
    {kCumulus, 6000, {}},
    {kCumulus, 2000, {{50, 1000, kStratus}}},
    {kCumulus, 1000, {{50, 1000, kStratus}}},
    {kStratus, 1000, {}},
    {kStratus, 1000, {}},
    {kCumulus, 1000, {{50, 1050, kStratus}, {1000, 2000, kCumulus}, {1050, 2050, kStratus}}},
    {kCumulus, 3000, {{-50, 1000, kStratus}}},
};
constexpr std::uint8_t kLowCumulonimbus = 9;
constexpr int kThunderstormTowerM = 10000;

// CM: middle clouds.
const CloudShape kMiddleShapes[] = {
    {kStratus, 500, {}},  {kStratus, 500, {}},
    {kStratus, 3000, {}}, {kCumulus, 500, {}},
    {kCumulus, 500, {}},  {kCumulus, 500, {}},
    {kCumulus, 500, {}},  {kCumulus, 2000, {{50, 2050, kStratus}}},
    {kCumulus, 2000, {}}, {kCumulus, 2000, {{-50, 1950, kStratus}}},
};

// CH: high clouds.
const CloudShape kHighShapes[] = {
    {kCirrus, 100, {}}, {kCirrus, 100, {}},  {kCirrus, 600, {}},  {kCirrus, 600, {}},  {kCirrus, 100, {}},
    {kCirrus, 600, {}}, {kCirrus, 1000, {}}, {kStratus, 100, {}}, {kStratus, 100, {}}, {kCumulus, 500, {}},
};

// The cirrus layer added near 30000 ft when no high layer was reported, by CH (10: no group).
struct CirrusShape {
  std::uint8_t type;
  std::uint16_t upperM;
};
const CirrusShape kCirrusShapes[] = {
    {kCirrus, 9243},  {kCirrus, 9243},  {kCirrus, 9743},  {kCirrus, 9743},  {kCirrus, 9243}, {kCirrus, 9743},
    {kCirrus, 10143}, {kStratus, 9243}, {kStratus, 9243}, {kCumulus, 9643}, {kCirrus, 9243},
};
constexpr std::uint16_t kCirrusLowerM = 9143;
constexpr std::uint8_t kCirrusCoverOctas = 5;

// The hour of a time text; no hour when the text is too short to hold one.
bool HourOf(const wxString& time, std::int64_t* hour) {
  if (time.length() < kHourAt + kHourDigits) return false;
  *hour = ReadWholeNumber(time.Mid(kHourAt, kHourDigits));
  return true;
}

// Only the hours are compared: the day and the turn of the day play no part.
bool IsFresh(const SynopRecord& synop, const MetarRecord& metar) {
  std::int64_t metarHour = 0;
  std::int64_t synopHour = 0;
  if (!HourOf(metar.Time, &metarHour) || !HourOf(synop.Station.Time, &synopHour)) return false;
  return metarHour <= synopHour + kFreshHours && metar.SynopDistance >= 0 && metar.SynopDistance < kNearbyKm;
}

void TakeVisibility(NewWeather* record, const SynopRecord& synop) {
  if (synop.Visibility < 0 || record->VisRange <= kMetarTenKmRange) return;
  const std::uint16_t range =
      saturate<std::uint16_t>(VisRangeOfKilometres(synop.Visibility * kKmPerNauticalMile));
  record->UpperVis[0] = {record->VisUpperAlt, record->VisLowerAlt, range, 0};
  record->UpperVis[1] = {saturate<std::uint16_t>(int{record->VisUpperAlt} + kUpperVisDepthM),
                         saturate<std::int16_t>(record->VisUpperAlt),
                         saturate<std::uint16_t>(int{range} + kUpperVisRangeGain), 0};
  record->UpperVisCount = kUpperVisLayers;
  record->VisRange = range;
}

// Writes the layer's shape only; its other fields keep what the METAR conversion left there.
void WriteShape(NewWeather* record, int j, int lowerM, int upperM, std::uint8_t cover, std::uint8_t type) {
  if (j >= kMaxCloudLayers) return;  // the record holds 16 layers; the rest are dropped
  NewWeatherCloud& cloud = record->Cloud[j];
  cloud.LowerAlt = saturate<std::uint16_t>(lowerM);
  cloud.UpperAlt = std::max(saturate<std::uint16_t>(upperM), cloud.LowerAlt);
  cloud.Coverage = cover;
  cloud.Type = type;
}

struct Band {
  const CloudShape* shapes;
  std::uint8_t code;
  bool low;
};

Band BandOf(std::int32_t base, const SynopRecord& synop) {
  if (base <= kLowBandTopFt) return {kLowShapes, synop.LowCloudType, true};
  if (base <= kMiddleBandTopFt) return {kMiddleShapes, synop.MiddleCloudType, false};
  return {kHighShapes, synop.HighCloudType, false};
}

// Gives one METAR layer the shape its band's code names, at position j, followed by the extra
// layers of mixed clouds; returns the next position. Code 10 (no cloud-type group) moves on behind
// the METAR conversion's layers, which stay as they are; codes above 10 write nothing.
int ShapeLayer(NewWeather* record, int j, const CloudLayer& layer, const MetarRecord& metar,
               const SynopRecord& synop, bool mixed) {
  const Band band = BandOf(layer.Base, synop);
  if (band.code == kCodeNotGiven) return std::clamp<std::int32_t>(record->CloudCount, 0, kMaxCloudLayers);
  if (band.code > kCodeNotGiven) return j;

  const int lower = saturate<std::uint16_t>(FeetToMetres(static_cast<double>(layer.Base) + metar.Elevation));
  const std::uint8_t cover = saturate<std::uint8_t>(2 * int{layer.Cover});
  const CloudShape& shape = band.shapes[band.code];
  const bool cumulonimbus = band.low && band.code == kLowCumulonimbus;
  const bool thunder = metar.PresentWeather.find(wxS("TS")) != wxString::npos;
  const int thickness = cumulonimbus && thunder ? kThunderstormTowerM : shape.thicknessM;
  WriteShape(record, j, lower, lower + thickness, cover, shape.type);
  if (cumulonimbus && j < kMaxCloudLayers) {
    record->Cloud[j].Deviation = kCumulonimbusDeviationM;
    record->Cloud[j].Turbulence = kCumulonimbusTurbulence;
  }
  ++j;
  if (!mixed) return j;
  for (const ExtraLayer& extra : shape.extras) {
    WriteShape(record, j, lower + extra.lowerOffsetM, lower + extra.upperOffsetM, cover, extra.type);
    ++j;
  }
  return j;
}

// The cirrus layer near 30000 ft at position n; false when CH names none.
bool AddCirrus(NewWeather* record, int n, std::uint8_t highCode) {
  if (highCode > kCodeNotGiven || n >= kMaxCloudLayers) return false;
  const CirrusShape& cirrus = kCirrusShapes[highCode];
  NewWeatherCloud& cloud = record->Cloud[n];
  cloud.LowerAlt = kCirrusLowerM;
  cloud.UpperAlt = cirrus.upperM;
  cloud.Coverage = kCirrusCoverOctas;
  cloud.Type = cirrus.type;
  return true;
}

}  // namespace

bool ClConvertWeather::ConvertSynop(NewWeather* record, const SynopRecord* synop, const MetarRecord* metar) {
  if (record == nullptr || synop == nullptr || metar == nullptr) return true;
  if (IsFresh(*synop, *metar)) TakeVisibility(record, *synop);

  bool highLayer = false;
  int j = 0;
  for (const CloudLayer& layer : metar->Clouds) {
    if (layer.Base > kMiddleBandTopFt) highLayer = true;
    j = ShapeLayer(record, j, layer, *metar, *synop, Options.Cloudmixed);
  }
  // A hand-edited ini may hold any limit; the record holds 0 to 16 layers.
  const int limit = std::clamp<std::int32_t>(Options.Cloudlayer, 0, kMaxCloudLayers);
  int n = std::min({j, limit, kMaxCloudLayers});
  // The cirrus layer comes on top of the limit, where there is room for it.
  if (!highLayer && Options.GenerateCirus && AddCirrus(record, n, synop->HighCloudType)) ++n;
  record->CloudCount = n;
  return true;
}
