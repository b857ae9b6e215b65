// ClMetar::DecodeMetar: a fixed sequence of steps over a working copy of the report. Each step
// looks for its group, stores what it reads and removes what it used, so that the steps that
// only look at the start of the working text see the next group.
//
// Every pattern is compiled once per thread. A step may first run a cheap exact test that only
// rejects what its pattern would reject: a wxRegEx call costs about 100 ns even when it fails at
// the first character, and most optional steps find nothing.

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/ascii.h"
#include "base/saturate.h"
#include "base/units.h"
#include "reports/metar.h"
#include "reports/report_pattern.h"
#include "reports/report_text.h"

namespace {

constexpr std::int32_t kDefaultTemperatureC = 15;
constexpr std::int32_t kDefaultDewPointC = 5;
constexpr std::int32_t kDefaultPressureHpa = 1013;
// A missing temperature or dew point is put at the spread of the defaults from the other one,
// so the dew point is never above the temperature.
constexpr std::int32_t kMissingSpreadC = kDefaultTemperatureC - kDefaultDewPointC;
constexpr double kMetresPerStatuteMile = 1609.0;
constexpr double kMetresPerKilometre = 1000.0;
constexpr double kHpaPerHundredthInHg = 0.338639;
constexpr std::int32_t kFeetPerCloudBaseUnit = 100;
constexpr std::size_t kMinRestLength = 5;
constexpr std::size_t kCloudBaseDigits = 3;

bool IsBlank(const wxString& text, std::size_t i) { return i < text.length() && text[i] == ' '; }

bool AllOf(const wxString& text, std::size_t start, std::size_t count, bool (*test)(wxUniChar)) {
  if (start + count > text.length()) return false;
  for (std::size_t i = start; i < start + count; ++i) {
    if (!test(text[i])) return false;
  }
  return true;
}

// Leading digits of text[start, start + length) as a whole number; no digits give 0.
std::uint32_t ReadDigits(const wxString& text, std::size_t start, std::size_t length) {
  constexpr std::uint32_t kLimit = std::numeric_limits<std::uint32_t>::max() / 10 - 10;
  std::uint32_t value = 0;
  for (std::size_t i = start; i < start + length && i < text.length() && IsAsciiDigit(text[i]); ++i) {
    if (value < kLimit) value = value * 10 + static_cast<std::uint32_t>(text[i].GetValue() - '0');
  }
  return value;
}

std::uint16_t KnotsFromMetresPerSecond(std::uint32_t mps) {
  return saturate<std::uint16_t>(mps / kMetresPerSecondPerKnot);
}

// Position of token inside text[0, length), or npos.
std::size_t FindIn(const wxString& text, std::size_t length, const wxChar* token) {
  const std::size_t at = text.find(token);
  return at != wxString::npos && at + wxStrlen(token) <= length ? at : wxString::npos;
}

// Step 1, optional: the automatic-station marker, wherever the station put it.
void RemoveAutoMarker(wxString& work) {
  static thread_local const ReportPattern kAuto(wxS("(AUTO)"));
  if (work.find(wxS("AUTO")) == wxString::npos) return;  // the pattern is the plain word
  if (!kAuto.Search(work)) return;
  std::size_t start = 0, length = 0;
  kAuto.Group(1, &start, &length);
  work.erase(start, length);
  TrimLeading(work);
}

// Step 2, required: the station code at the very start. Nothing is removed.
bool StartsWithStation(const wxString& work) {
  static thread_local const ReportPattern kStation(wxS("^([A-Z]{4})"));
  return AllOf(work, 0, 4, IsAsciiUpper) && kStation.Search(work);
}

// Step 3, required: the observation time; everything up to it goes.
bool ReadObservationTime(wxString& work, MetarRecord* record) {
  static thread_local const ReportPattern kTime(wxS("([0-9]{6}Z)"));
  if (!kTime.Search(work)) return false;
  record->Time = kTime.GroupText(work, 1);
  work.erase(0, kTime.End(1));
  TrimLeading(work);
  return true;
}

// Step 4, required: the leftmost wind group, so a trend wind never stands in for the main one.
// Speeds and gusts of three digits, a gust after a variable wind, a gust written after the unit
// ("27015KT/G20KT") and the unit written "KTS" (an "S" left behind would hide the visibility,
// weather and clouds after it) are read. A missing direction ("///23KT") counts as variable; a
// missing speed ("260//KT", "/////KT", or "/////" where the wind stands) as calm, instead of
// taking a wind from the remarks or dropping the report.
bool ReadWind(wxString& work, MetarRecord* record) {
  static thread_local const ReportPattern kWind(wxS(
      "(VRB|[0-9]{3}|///)([0-9]{2,3}|//)(G([0-9]{2,3}))?(KTS|KT|MPS)(/G([0-9]{2,3})(KT|MPS))?|^/////( |$)"));
  if (!kWind.Search(work)) return false;
  const std::size_t end = kWind.End();
  std::size_t start = 0, length = 0;
  const bool reported = kWind.Group(5, &start, &length);
  const bool metresPerSecond = reported && work[start] == 'M';
  auto knots = [&](std::size_t group) -> std::uint16_t {
    std::size_t s = 0, l = 0;
    if (!kWind.Group(group, &s, &l)) return 0;
    const std::uint32_t value = ReadDigits(work, s, l);
    return metresPerSecond ? KnotsFromMetresPerSecond(value) : saturate<std::uint16_t>(value);
  };
  if (!reported || (kWind.Group(2, &start, &length) && work[start] == '/')) {
    record->WindDirection = 0;
    record->WindSpeed = 0;
    record->WindGust = 0;
  } else {
    kWind.Group(1, &start, &length);
    const bool variable = work[start] == 'V' || work[start] == '/';
    record->WindDirection =
        variable ? kVariableWindDirection : saturate<std::uint16_t>(ReadDigits(work, start, length));
    record->WindSpeed = knots(2);
    record->WindGust = kWind.Group(4, &start, &length) ? knots(4) : knots(7);
  }
  work.erase(0, end);
  TrimLeading(work);
  return true;
}

bool IsSectorChar(wxUniChar c) { return IsAsciiDigit(c) || c == 'V'; }

// Step 5, optional: the variable wind sector right after the wind.
void ReadVariableSector(wxString& work, MetarRecord* record) {
  static thread_local const ReportPattern kSector(wxS("^([0-9]{3})V([0-9]{3})"));
  if (!(AllOf(work, 0, 7, IsSectorChar) && work[3] == 'V')) return;
  if (!kSector.Search(work)) return;
  std::size_t start = 0, length = 0;
  kSector.Group(1, &start, &length);
  record->VariableFrom = saturate<std::uint16_t>(ReadDigits(work, start, length));
  kSector.Group(2, &start, &length);
  record->VariableTo = saturate<std::uint16_t>(ReadDigits(work, start, length));
  work.erase(0, start + length);
}

// Statute miles in metres: whole miles ("10SM"), or a fraction with a one-digit numerator and
// optional whole miles before it ("1 1/2SM"). A zero denominator is no distance at all.
bool StatuteMilesVisibility(const ReportPattern& re, const wxString& work, std::uint16_t* metres) {
  std::size_t start = 0, length = 0;
  double miles = 0.0;
  if (re.Group(7, &start, &length)) {
    miles = ReadDigits(work, start, length);
  } else {
    if (re.Group(4, &start, &length)) miles = ReadDigits(work, start, length);
    re.Group(6, &start, &length);
    const std::uint32_t denominator = ReadDigits(work, start, length);
    if (denominator == 0) return false;
    re.Group(5, &start, &length);
    miles += static_cast<double>(ReadDigits(work, start, length)) / denominator;
  }
  *metres = saturate<std::uint16_t>(miles * kMetresPerStatuteMile);
  return true;
}

// Step 6: the visibility group, read only where it stands, right after the wind and the sector.
// A report without one ("////" included) counts as unrestricted. The whole group is consumed:
// the whole miles before a fraction, a P or M prefix, a direction suffix, a stray metre sign.
// Kilometres ("30KM", New Zealand and the Pacific) are read too, and metres with a P ("P6000",
// Russia and its neighbours) as the metres given.
void ReadVisibility(wxString& work, MetarRecord* record) {
  static thread_local const ReportPattern kVisibility(
      wxS("^(CAVOK|////|[PM]?((([0-9]{1,2}) )?([0-9])/([0-9]{1,2})|([0-9]{1,3}))SM|"
          "P?([0-9]{4})(NDV|NE|NW|SE|SW|N|E|S|W|M)?|([0-9]{1,2})KM)( |$)"));
  TrimLeading(work);
  record->Visibility = kUnrestrictedVisibilityM;
  if (work.empty() ||
      !(IsAsciiDigit(work[0]) || work[0] == 'C' || work[0] == '/' || work[0] == 'P' || work[0] == 'M'))
    return;
  if (!kVisibility.Search(work)) return;
  std::size_t start = 0, length = 0, groupLength = 0;
  kVisibility.Group(1, &start, &groupLength);
  if (kVisibility.Group(8, &start, &length)) {
    record->Visibility = saturate<std::uint16_t>(ReadDigits(work, start, length));
  } else if (kVisibility.Group(10, &start, &length)) {
    record->Visibility = saturate<std::uint16_t>(ReadDigits(work, start, length) * kMetresPerKilometre);
  } else if (kVisibility.Group(2, &start, &length)) {
    std::uint16_t metres = kUnrestrictedVisibilityM;
    if (StatuteMilesVisibility(kVisibility, work, &metres)) record->Visibility = metres;
  }
  work.erase(0, groupLength);
  TrimLeading(work);
}

// Step 6, continued: a minimum visibility with its direction ("3000 1200NE") belongs to the
// visibility; left in place it would end the present-weather and cloud steps.
void RemoveMinimumVisibility(wxString& work) {
  static thread_local const ReportPattern kMinimum(wxS("^[0-9]{4}(NE|NW|SE|SW|N|E|S|W)( |$)"));
  if (!(AllOf(work, 0, 4, IsAsciiDigit) && work.length() > 4)) return;
  if (!kMinimum.Search(work)) return;
  work.erase(0, kMinimum.End(1));
  TrimLeading(work);
}

// Position of the first "R" followed by two digits: no runway group can start before it.
bool HasRunwayDesignator(const wxString& work) {
  for (std::size_t at = work.find('R'); at != wxString::npos; at = work.find('R', at + 1)) {
    if (AllOf(work, at + 1, 2, IsAsciiDigit)) return true;
  }
  return false;
}

// Step 7, optional, repeated: runway visual ranges (left, right and centre runways, feet,
// missing values) and runway states are removed; nothing is stored.
void RemoveRunwayVisualRanges(wxString& work) {
  static thread_local const ReportPattern kRunway(
      wxS("(R[0-9]{2}[LRC]*/([VMPUDN]*[0-9]{4}[VUDNPM]*[0-9]*[VUDNPM]*(FT)?[/UDN]*|/{4,}))"));
  while (HasRunwayDesignator(work) && kRunway.Search(work)) {
    std::size_t start = 0, length = 0;
    kRunway.Group(1, &start, &length);
    work.erase(start, length);
    TrimLeading(work);
  }
}

// Length of a weather group at the start ("-RA ", "+TSRAGR ", "FZRAPL "), or 0.
std::size_t WeatherGroupLength(const wxString& work) {
  std::size_t i = 0;
  while (i < work.length() && (work[i] == '-' || work[i] == '+')) ++i;
  std::size_t letters = 0;
  while (i + letters < work.length() && IsAsciiUpper(work[i + letters])) ++letters;
  const bool paired = letters >= 2 && letters <= 8 && letters % 2 == 0;
  return paired && IsBlank(work, i + letters) ? i + letters + 1 : 0;
}

// Step 9, optional, repeated: present-weather groups of two to eight letters, kept as they stand,
// each with its blank. "//" (weather not observed, automatic stations) is passed over.
void ReadPresentWeather(wxString& work, MetarRecord* record) {
  static thread_local const ReportPattern kWeather(wxS("^([-+]*([A-Z]{2}){1,4} )"));
  static thread_local const ReportPattern kNotObserved(wxS("^(// )"));
  record->Intensity = 3;
  record->PresentWeather.clear();
  for (;;) {
    if (work.StartsWith(wxS("// ")) && kNotObserved.Search(work)) {
      work.erase(0, 3);
      continue;
    }
    if (WeatherGroupLength(work) == 0 || !kWeather.Search(work)) break;
    std::size_t start = 0, length = 0;
    kWeather.Group(1, &start, &length);
    if (work[0] == '-') record->Intensity = 1;
    if (work[0] == '+') record->Intensity = 4;
    record->PresentWeather.append(work, 0, length);
    work.erase(0, length);
  }
  TrimLeading(work);
}

bool IsCoverChar(wxUniChar c) { return IsAsciiUpper(c) || c == '/'; }
bool IsHeightChar(wxUniChar c) { return IsAsciiDigit(c) || c == '/'; }

bool MayStartCloudGroup(const wxString& work) {
  return (AllOf(work, 0, 3, IsCoverChar) && AllOf(work, 3, 3, IsHeightChar)) || work.StartsWith(wxS("CLR")) ||
         (work.StartsWith(wxS("VV")) && AllOf(work, 2, 3, IsAsciiDigit));
}

// The layer of one cloud group text[0, length): cover, base in feet, type.
CloudLayer CloudLayerOf(const wxString& text, std::size_t length) {
  static const struct {
    const wxChar* token;
    std::uint8_t cover;
  } kCovers[] = {{wxS("FEW"), 1}, {wxS("SCT"), 2}, {wxS("BKN"), 3}, {wxS("OVC"), 4}, {wxS("VV"), 4}};
  CloudLayer layer;
  for (const auto& c : kCovers) {
    const std::size_t at = FindIn(text, length, c.token);
    if (at == wxString::npos) continue;
    layer.Cover = c.cover;
    const std::size_t digits = at + wxStrlen(c.token);
    layer.Base =
        static_cast<std::int32_t>(ReadDigits(text, digits, kCloudBaseDigits)) * kFeetPerCloudBaseUnit;
    break;
  }
  if (FindIn(text, length, wxS("CB")) != wxString::npos) {
    layer.Type = wxS("CB");
  } else if (FindIn(text, length, wxS("TCU")) != wxString::npos) {
    layer.Type = wxS("TCU");
  }
  return layer;
}

// Step 10, optional, repeated: cloud layers in report order; CLR ends the step, a group without
// cover ("//////") adds nothing.
void ReadCloudLayers(wxString& work, CloudLayer& layer, MetarRecord* record) {
  static thread_local const ReportPattern kCloud(
      wxS("^(([A-Z/]{3}[0-9/]{3}[A-Z/]{3})|([A-Z/]{3}[0-9/]{3}[A-Z/]{2})|([A-Z/]{3}[0-9/"
          "]{3})|(CLR)|(VV[0-9]{3}))"));
  while (MayStartCloudGroup(work) && kCloud.Search(work)) {
    std::size_t start = 0, length = 0;
    kCloud.Group(1, &start, &length);
    if (FindIn(work, length, wxS("CLR")) != wxString::npos) {
      work.erase(0, length);
      return;
    }
    layer = CloudLayerOf(work, length);
    if (layer.Cover > 0) record->Clouds.push_back(layer);
    work.erase(0, length);
    TrimLeading(work);
  }
}

// One side of a temperature group: "M05" is -5.
bool ReadCelsius(const ReportPattern& re, std::size_t group, const wxString& work, std::int32_t* celsius) {
  std::size_t start = 0, length = 0;
  if (!re.Group(group, &start, &length) || work[start] == '/') return false;
  const bool minus = work[start] == 'M';
  const auto value = static_cast<std::int32_t>(ReadDigits(work, start + (minus ? 1 : 0), length));
  *celsius = minus ? -value : value;
  return true;
}

// Step 11, when no group gives a temperature: "/////" is the group of an automatic station that
// measured neither; the record keeps its defaults and the station its wind, clouds and pressure.
bool ReadMissingTemperatures(wxString& work) {
  static thread_local const ReportPattern kMissing(wxS("(^| )(/////)( |$)"));
  if (work.find(wxS("/////")) == wxString::npos || !kMissing.Search(work)) return false;
  std::size_t start = 0, length = 0;
  kMissing.Group(2, &start, &length);
  work.erase(start, length);
  TrimLeading(work);
  return true;
}

// Step 11, required: temperature and dew point, only from a whole blank-delimited group, so runs
// of slashes ("///", "/////") are never read as 0 degrees nor stand in for the real group after
// them. A missing side ("11/", "//" or nothing) is put at the defaults' spread from the other, so
// the dew point never exceeds the temperature.
bool ReadTemperatures(wxString& work, MetarRecord* record) {
  static thread_local const ReportPattern kTemperature(
      wxS("(^| )(M?[0-9]{2})/(M?[0-9]{2}|//)?( |$)|(^| )(//)/(M?[0-9]{2})( |$)"));
  if (!kTemperature.Search(work)) return ReadMissingTemperatures(work);
  std::int32_t temperature = kDefaultTemperatureC, dewPoint = kDefaultDewPointC;
  const bool givenTemperature = ReadCelsius(kTemperature, 2, work, &temperature);
  const bool givenDewPoint =
      ReadCelsius(kTemperature, 3, work, &dewPoint) || ReadCelsius(kTemperature, 7, work, &dewPoint);
  if (!givenDewPoint) dewPoint = temperature - kMissingSpreadC;
  if (!givenTemperature) temperature = dewPoint + kMissingSpreadC;
  record->Temperature = temperature;
  record->DewPoint = dewPoint;

  std::size_t start = 0, length = 0, end = 0;
  const bool first = kTemperature.Group(2, &start, &length);
  if (!first) kTemperature.Group(6, &start, &length);
  kTemperature.Group(first ? 4 : 8, &end, &length);
  work.erase(start, end - start);
  TrimLeading(work);
  return true;
}

// QNH in hectopascals ("Q1013", "Q 1009") and its position, or npos.
std::size_t FindQnh(const wxString& work, std::int32_t* hpa) {
  static thread_local const ReportPattern kQnh(wxS("(Q[0-9]{4})|(Q [0-9]{4})"));
  if (work.find('Q') == wxString::npos || !kQnh.Search(work)) return wxString::npos;
  std::size_t start = 0, length = 0;
  kQnh.Group(0, &start, &length);
  *hpa = static_cast<std::int32_t>(ReadDigits(work, start + length - 4, 4));
  return start;
}

// The altimeter in hundredths of an inch of mercury ("A2992"), rounded to the nearest
// hectopascal, and its position, or npos.
std::size_t FindAltimeter(const wxString& work, std::int32_t* hpa) {
  static thread_local const ReportPattern kAltimeter(wxS("(A[0-9]{4})"));
  if (work.find('A') == wxString::npos || !kAltimeter.Search(work)) return wxString::npos;
  std::size_t start = 0, length = 0;
  kAltimeter.Group(1, &start, &length);
  *hpa = static_cast<std::int32_t>(std::lround(ReadDigits(work, start + 1, 4) * kHpaPerHundredthInHg));
  return start;
}

// Step 12, required: QNH, else the altimeter; nothing is removed. A group of the main body wins
// over one in the remarks: US military stations add "Q1010MB" to the remarks after their
// altimeter.
bool ReadPressure(const wxString& work, MetarRecord* record) {
  const std::size_t remarks = work.find(wxS("RMK"));
  std::int32_t qnh = 0, altimeter = 0;
  const std::size_t qnhAt = FindQnh(work, &qnh);
  if (qnhAt != wxString::npos && qnhAt < remarks) {
    record->Pressure = qnh;
    return true;
  }
  const std::size_t altimeterAt = FindAltimeter(work, &altimeter);
  const bool altimeterFirst = altimeterAt != wxString::npos && altimeterAt < remarks;
  if (qnhAt != wxString::npos && !altimeterFirst) {
    record->Pressure = qnh;
    return true;
  }
  if (altimeterAt == wxString::npos) return false;
  record->Pressure = altimeter;
  return true;
}

void SetDefaults(MetarRecord* record) {
  record->Clouds.clear();
  record->PresentWeather.clear();
  record->WindGust = 0;
  record->Temperature = kDefaultTemperatureC;
  record->DewPoint = kDefaultDewPointC;
  record->Pressure = kDefaultPressureHpa;
  record->VariableFrom = kNoVariableSector;
  record->VariableTo = kNoVariableSector;
  record->UpperairDistance = -1;
  record->SynopDistance = -1;
}

}  // namespace

bool ClMetar::DecodeMetar(MetarRecord* record) {
  SetDefaults(record);
  if (record->Raw.length() > kMaxMetarLength) return false;
  wxString work = record->Raw;
  RemoveAutoMarker(work);
  if (!StartsWithStation(work)) return false;
  if (!ReadObservationTime(work, record)) return false;
  if (!ReadWind(work, record)) return false;
  ReadVariableSector(work, record);
  ReadVisibility(work, record);
  RemoveMinimumVisibility(work);
  RemoveRunwayVisualRanges(work);
  if (work.length() < kMinRestLength) return false;
  ReadPresentWeather(work, record);
  ReadCloudLayers(work, Layer, record);
  if (!ReadTemperatures(work, record)) return false;
  return ReadPressure(work, record);
}
