#include "cycle/station_choice.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "base/ascii.h"
#include "options/option_limits.h"
#include "reports/geometry.h"

namespace {

constexpr std::int32_t kMinutesPerDay = 24 * 60;
// Two observations further apart than this within a month are taken across the month's end.
constexpr std::int32_t kMonthTurnMinutes = 15 * kMinutesPerDay;
constexpr std::int16_t kDisplaySearchKm = 10000;

double StationKm(const MetarRecord& station, double latitude, double longitude) {
  return DistanceKm(latitude, longitude, station.Latitude, station.Longitude);
}

// Minutes since the start of the month of "ddhhmmZ"; -1 for anything else.
std::int32_t MinuteOfMonth(const wxString& time) {
  if (time.length() != 7 || time[6] != 'Z') return -1;
  int digits[6];
  for (int i = 0; i < 6; ++i) {
    if (!IsAsciiDigit(time[i])) return -1;
    digits[i] = static_cast<int>(time[i].GetValue() - '0');
  }
  const int day = digits[0] * 10 + digits[1];
  const int hour = digits[2] * 10 + digits[3];
  const int minute = digits[4] * 10 + digits[5];
  if (day < 1 || day > 31 || hour > 23 || minute > 59) return -1;
  return (day - 1) * kMinutesPerDay + hour * 60 + minute;
}

}  // namespace

bool CompareAirportDistance(const MetarRecord& a, const MetarRecord& b) { return a.Distance > b.Distance; }

void FindNearestAirports(const std::vector<MetarRecord>& stations, double latitude, double longitude,
                         float radiusKm, std::uint8_t mode, std::vector<MetarRecord>& selection) {
  const double radius = radiusKm;
  if (mode == kEveryStationWithin) {
    for (const MetarRecord& station : stations) {
      if (StationKm(station, latitude, longitude) < radius) selection.push_back(station);
    }
  } else if (mode == kNearestStation) {
    double best = radius;
    const MetarRecord* nearest = nullptr;
    for (const MetarRecord& station : stations) {
      const double km = StationKm(station, latitude, longitude);
      if (km < best) {
        best = km;
        nearest = &station;
      }
    }
    if (nearest != nullptr) selection.push_back(*nearest);
  }
}

bool IsLaterObservation(const wxString& time, const wxString& other) {
  const std::int32_t a = MinuteOfMonth(time);
  const std::int32_t b = MinuteOfMonth(other);
  if (a < 0 || b < 0) return a > b;
  if (a - b > kMonthTurnMinutes) return false;  // other lies in the next month
  if (b - a > kMonthTurnMinutes) return true;
  return a > b;
}

void KeepLatestPerStation(std::vector<MetarRecord>& records) {
  std::map<wxString, std::size_t> firstOf;
  std::vector<MetarRecord> kept;
  kept.reserve(records.size());
  for (MetarRecord& record : records) {
    const auto [place, isNew] = firstOf.emplace(record.Icao, kept.size());
    if (isNew) {
      kept.push_back(std::move(record));
    } else if (!IsLaterObservation(kept[place->second].Time, record.Time)) {
      kept[place->second] = std::move(record);
    }
  }
  records = std::move(kept);
}

StationChoice ChooseStations(const std::vector<MetarRecord>& stations, double latitude, double longitude,
                             const OptionData& options, const LogLine& log) {
  StationChoice choice;
  if (stations.size() < kMinStationsForSend) return choice;
  log(wxString::Format(wxS("Main: FS Aircraft pos: %.2f, %.2f"), latitude, longitude));

  std::vector<MetarRecord> chosen;
  // Intended: the range is set in nautical miles but compared as kilometres, so the circle is
  // smaller than the number the user typed.
  FindNearestAirports(stations, latitude, longitude, static_cast<float>(RangeNm(options)),
                      kEveryStationWithin, chosen);
  // The label names the last station within range in list order and how many stations are in.
  const wxString lastWithin = chosen.empty() ? wxString() : chosen.back().Icao;
  log(wxS("Main: nearest Airport"));
  const bool nearestOnly = chosen.empty();
  if (nearestOnly)
    FindNearestAirports(stations, latitude, longitude, kFallbackRadiusKm, kNearestStation, chosen);
  if (chosen.empty()) {
    choice.Outcome = ChoiceOutcome::kNoStation;
    return choice;
  }
  if (nearestOnly) {
    // The one nearest report stands for its station: take that station's latest one.
    const wxString icao = chosen.front().Icao;
    for (const MetarRecord& station : stations) {
      if (station.Icao == icao) chosen.push_back(station);
    }
  }
  KeepLatestPerStation(chosen);
  if (!nearestOnly) {
    choice.Label =
        wxString::Format(wxS("nearest Airport: %s, %i "), lastWithin, static_cast<int>(chosen.size()));
  }

  std::vector<double> km(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    km[i] = StationKm(chosen[i], latitude, longitude);
    chosen[i].Distance = static_cast<std::int32_t>(KmToNauticalMiles(km[i]));
  }
  // Farthest first by whole miles; within one mile by the exact distance, so that the last
  // record is the nearest station.
  std::vector<std::size_t> order(chosen.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (CompareAirportDistance(chosen[a], chosen[b])) return true;
    if (CompareAirportDistance(chosen[b], chosen[a])) return false;
    return km[a] > km[b];
  });
  choice.Selection.reserve(chosen.size() + 1);
  choice.Selection.push_back(chosen[order.back()]);
  choice.Selection.front().Icao = kGlobalIcao;
  for (const std::size_t i : order) choice.Selection.push_back(std::move(chosen[i]));
  log(wxS("Main: sort Airport"));
  log(wxS("Main: Insert GLOB in Vector"));
  choice.Outcome = ChoiceOutcome::kChosen;
  return choice;
}

std::int32_t NearestStationForDisplay(const std::vector<MetarRecord>& stations, double latitude,
                                      double longitude, std::int32_t& km) {
  std::int16_t best = kDisplaySearchKm;
  std::int32_t index = -1;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const double d = StationKm(stations[i], latitude, longitude);
    if (d < best) {
      best = static_cast<std::int16_t>(d);
      index = static_cast<std::int32_t>(i);
    }
  }
  km = best;
  return index;
}

wxString DistanceLine(std::int32_t km) {
  return wxString::Format(wxS("Distance to: %.1f NM"), KmToNauticalMiles(static_cast<double>(km)));
}
