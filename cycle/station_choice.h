#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "cycle/cycle_log.h"
#include "options/option_data.h"
#include "reports/metar_record.h"

// The station choice of a send: every loaded station within the range of the aircraft, or the
// single nearest one, farthest first, with a copy of the nearest under "GLOB" in front, which the
// simulator takes as its global weather.

inline const wxString kGlobalIcao = wxS("GLOB");
constexpr std::size_t kMinStationsForSend = 100;
constexpr float kFallbackRadiusKm = 10000.0f;

// Orders the farthest station (by whole nautical miles) first.
bool CompareAirportDistance(const MetarRecord& a, const MetarRecord& b);

enum NearestMode : std::uint8_t {
  kEveryStationWithin = 0,  // every station nearer than the radius, in list order
  kNearestStation = 1,      // the one nearest station nearer than the radius
};

// Appends to selection the stations of mode that lie nearer than radiusKm (strictly) to the
// position; of equal distances the first in list order. Mode 1 appends nothing when no station
// is nearer than the radius.
void FindNearestAirports(const std::vector<MetarRecord>& stations, double latitude, double longitude,
                         float radiusKm, std::uint8_t mode, std::vector<MetarRecord>& selection);

// Observation times "ddhhmmZ": true when time is later than other. A feed spans hours, never
// weeks, so a day far below the other's is taken as the next month. A time that is no time
// counts as the earliest.
bool IsLaterObservation(const wxString& time, const wxString& other);

// A feed carries several reports of one station (METAR and SPECI of an hour): keeps the latest
// observation of each ICAO code, the later in list order of equal times, at the place of the
// first report of that code.
void KeepLatestPerStation(std::vector<MetarRecord>& records);

enum class ChoiceOutcome {
  kTooFewStations,  // fewer than kMinStationsForSend loaded: nothing is chosen, nothing said
  kNoStation,       // no station within the fallback radius: nothing to send
  kChosen,
};

struct StationChoice {
  ChoiceOutcome Outcome = ChoiceOutcome::kTooFewStations;
  // "GLOB" first, then one record per station from the farthest to the nearest, each with its
  // whole-mile Distance.
  std::vector<MetarRecord> Selection;
  // The progress label when it has anything to say: "nearest Airport: %s, %i " after stations
  // within range.
  wxString Label;
};

// The choice of a send for the aircraft at the position, with its log lines. The range option is
// taken as kilometres here, as the stations have always been chosen.
StationChoice ChooseStations(const std::vector<MetarRecord>& stations, double latitude, double longitude,
                             const OptionData& options, const LogLine& log);

// The station the timer shows: the nearest within 10000 km by whole kilometres, the first in list
// order of equal whole kilometres; -1 when there is none. km: its distance in whole kilometres.
std::int32_t NearestStationForDisplay(const std::vector<MetarRecord>& stations, double latitude,
                                      double longitude, std::int32_t& km);

// The display line under the nearest station's report: "Distance to: %.1f NM".
wxString DistanceLine(std::int32_t km);
