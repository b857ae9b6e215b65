#include "reports/ttaa_decoder.h"

#include "base/units.h"
#include "reports/report_pattern.h"
#include "reports/report_text.h"
#include "reports/temp_groups.h"

namespace {

constexpr double kKnotsPerMetrePerSecond = 1.0 / kMetresPerSecondPerKnot;
constexpr int kKnotsDayOffset = 50;  // YY above 50: the day plus 50, winds in knots
constexpr int kSurfaceThousandsBelow = 100;
constexpr int kNoStandardLevel = 0;
constexpr int kAllWindsPressure = 0;     // every level carries a wind group
constexpr int kNoWindsPressure = 10000;  // no level carries one

// Pressure (hPa) of a standard isobaric level indicator, or kNoStandardLevel.
int StandardPressure(int id) {
  switch (id) {
    case 0:
      return 1000;
    case 92:
      return 925;
    case 85:
      return 850;
    case 70:
      return 700;
    case 50:
      return 500;
    case 40:
      return 400;
    case 30:
      return 300;
    case 25:
      return 250;
    case 20:
      return 200;
    case 15:
      return 150;
    case 10:
      return 100;
    default:
      return kNoStandardLevel;
  }
}

// Geopotential metres from hhh, which leaves out the digits every sounding shares at that level.
std::int32_t StandardHeightM(int pressure, int hhh) {
  switch (pressure) {
    case 1000:
      return hhh < 500 ? hhh : 500 - hhh;  // 500 added for heights below sea level
    case 925:
      return hhh;
    case 850:
      return hhh + 1000;
    case 700:
      return hhh < 500 ? hhh + 3000 : hhh + 2000;
    case 500:
    case 400:
      return 10 * hhh;
    case 300:
    case 250:
      return hhh < 500 ? 10 * hhh + 10000 : 10 * hhh;
    default:
      return 10 * hhh + 10000;  // 200, 150, 100 hPa
  }
}

// I of YYGGI: the last standard level that carries a wind group; levels of lower pressure come
// as pairs without one.
int LastWindPressure(wxUniChar indicator) {
  switch (indicator.GetValue()) {
    case '0':
      return 1000;
    case '9':
      return 925;
    case '8':
      return 850;
    case '7':
      return 700;
    case '5':
      return 500;
    case '4':
      return 400;
    case '3':
      return 300;
    case '2':
      return 200;
    case '1':
      return 100;
    case '/':
      return kNoWindsPressure;
    default:
      return kAllWindsPressure;
  }
}

double KnotsPerUnit(const wxString& dayGroup) {
  return ReadWholeNumber(dayGroup.Left(2)) > kKnotsDayOffset ? 1.0 : kKnotsPerMetrePerSecond;
}

struct TtaaContext {
  TempGroupReader* groups;
  double knotsPerUnit;
  int lastWindPressure;
};

UpperLevel ReadSurface(const wxString& pressureGroup, const wxString& temperature, const wxString& wind,
                       double knotsPerUnit) {
  UpperLevel surface;
  if (AllDigits(pressureGroup, 2, 3)) {
    const int ppp = GroupNumber(pressureGroup, 2, 3);
    surface.Pressure = static_cast<std::int16_t>(ppp < kSurfaceThousandsBelow ? ppp + 1000 : ppp);
  }
  surface.Height = 0;
  ReadTemperatureGroup(temperature, &surface.Temperature, &surface.DewPoint);
  ReadWindGroup(wind, knotsPerUnit, &surface.Direction, &surface.Speed);
  return surface;
}

// PPhhh TTTDD [dddff]: one standard level. False when the part ends before the level's last
// group: a sounding cut off there gives no level, so that it never counts as more complete than
// it is.
bool ReadStandardLevel(const wxString& first, int pressure, const TtaaContext& ttaa, UpperLevel* level) {
  level->Pressure = static_cast<std::int16_t>(pressure);
  level->Height =
      AllDigits(first, 2, 3) ? StandardHeightM(pressure, GroupNumber(first, 2, 3)) : kMissingHeightM;
  level->Direction = kMissingWind;
  level->Speed = kMissingWind;
  wxString group;
  if (!ttaa.groups->Next(&group)) return false;
  ReadTemperatureGroup(group, &level->Temperature, &level->DewPoint);
  if (pressure < ttaa.lastWindPressure) return true;
  if (!ttaa.groups->Next(&group)) return false;
  ReadWindGroup(group, ttaa.knotsPerUnit, &level->Direction, &level->Speed);
  return true;
}

// 31313 and 51515 open the sections after the levels: nothing after them is a standard level.
bool IsSectionIndicator(const wxString& group) { return group == wxS("31313") || group == wxS("51515"); }

// 88PPP TTTDD dddff, or the single group 88999 (no tropopause).
void ReadTropopause(const wxString& first, const TtaaContext& ttaa, UpperLevel* tropopause) {
  if (first == wxS("88999")) return;
  wxString temperature;
  wxString wind;
  if (!ttaa.groups->Next(&temperature) || !ttaa.groups->Next(&wind)) return;
  if (!AllDigits(first, 2, 3)) return;
  tropopause->Pressure = static_cast<std::int16_t>(GroupNumber(first, 2, 3));
  tropopause->Height = kMissingHeightM;
  ReadTemperatureGroup(temperature, &tropopause->Temperature, &tropopause->DewPoint);
  ReadWindGroup(wind, ttaa.knotsPerUnit, &tropopause->Direction, &tropopause->Speed);
}

// 77PPP or 66PPP dddff (4vbvbvava), or the single group 77999 / 66999 (no maximum wind). Of
// several maximum-wind levels the strongest is kept.
void ReadMaxWind(const wxString& first, const TtaaContext& ttaa, UpperLevel* maxWind) {
  if (first.Mid(2) == wxS("999")) return;
  wxString wind;
  if (!ttaa.groups->Next(&wind)) return;
  wxString shear;
  if (ttaa.groups->Peek(&shear) && shear[0] == '4') ttaa.groups->Next(&shear);  // wind shear, not used
  if (!AllDigits(first, 2, 3)) return;
  UpperLevel level;
  level.Pressure = static_cast<std::int16_t>(GroupNumber(first, 2, 3));
  level.Height = kMissingHeightM;
  level.Temperature = kMissingTemperatureC;
  level.DewPoint = kMissingTemperatureC;
  ReadWindGroup(wind, ttaa.knotsPerUnit, &level.Direction, &level.Speed);
  if (!HasWind(level.Direction)) return;
  if (maxWind->Pressure == kNoMaxWindPressure || level.Speed > maxWind->Speed) *maxWind = level;
}

// Sections 2 to 4: standard levels, then the tropopause and maximum-wind groups. An unknown
// indicator among the standard levels takes its two groups with it and the levels go on; what
// follows the tropopause and maximum-wind groups (31313, 51515 and regional groups) is not read.
void ReadLevels(const TtaaContext& ttaa, UpperairRecord* record) {
  bool pastStandardLevels = false;
  wxString first;
  while (ttaa.groups->Next(&first)) {
    if (!AllDigits(first, 0, 2)) continue;  // a slash indicator names no level
    const int id = GroupNumber(first, 0, 2);
    const int pressure = StandardPressure(id);
    if (pressure != kNoStandardLevel && !pastStandardLevels) {
      UpperLevel level;
      if (ReadStandardLevel(first, pressure, ttaa, &level)) record->Levels.push_back(level);
    } else if (id == 88) {
      pastStandardLevels = true;
      ReadTropopause(first, ttaa, &record->Tropopause);
    } else if (id == 77 || id == 66) {
      pastStandardLevels = true;
      ReadMaxWind(first, ttaa, &record->MaxWind);
    } else if (!pastStandardLevels && !IsSectionIndicator(first)) {
      wxString skipped;
      ttaa.groups->Next(&skipped);
      ttaa.groups->Next(&skipped);
    } else {
      return;
    }
  }
}

}  // namespace

bool DecodeTTAA(UpperairRecord* record) {
  record->Levels.clear();
  record->Tropopause = UpperLevel();
  record->MaxWind = UpperLevel();
  record->MaxWind.Pressure = kNoMaxWindPressure;

  // TTAA YYGGI IIiii, then the surface: 99PPP TTTDD dddff.
  static thread_local const ReportPattern kHeader(
      wxS("(TTAA)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})[[:space:]|\r\n]*(99[0-9/]{3})"
          "[[:space:]|\r\n]*([0-9/]{5})[[:space:]|\r\n]*([0-9/]{5})"));
  const wxString& raw = record->Raw;
  if (!kHeader.Search(raw)) return false;
  const wxString dayGroup = kHeader.GroupText(raw, 2);
  const double knotsPerUnit = KnotsPerUnit(dayGroup);
  record->Surface = ReadSurface(kHeader.GroupText(raw, 4), kHeader.GroupText(raw, 5),
                                kHeader.GroupText(raw, 6), knotsPerUnit);
  TempGroupReader groups(raw, kHeader.End());
  const TtaaContext ttaa{&groups, knotsPerUnit, LastWindPressure(dayGroup[4])};
  ReadLevels(ttaa, record);
  return true;
}
