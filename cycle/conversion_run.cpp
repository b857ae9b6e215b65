#include "cycle/conversion_run.h"

#include <cstring>

#include "cycle/station_choice.h"
#include "reports/geometry.h"
#include "reports/metar.h"
#include "reports/synop.h"
#include "reports/ttaa_decoder.h"
#include "reports/upperair_nearest.h"
#include "reports/upperair_profile.h"
#include "simlink/convert_weather.h"

namespace {

std::int32_t WholeKm(const MetarRecord& station, const StationEntry& other) {
  return static_cast<std::int32_t>(
      DistanceKm(station.Latitude, station.Longitude, other.Latitude, other.Longitude));
}

void NameGlobal(NewWeather& record) {
  static_assert(sizeof(record.Icao) == 4, "the global station's name fills the field");
  std::memcpy(record.Icao, "GLOB", sizeof(record.Icao));
}

// The profile of one TTAA part (decoded from a copy) merged with a TTBB part: merged, interpolated,
// with its humidities. The PPBB part is decoded and not used, as the profile has no place for it.
LookupCache::Profile BuildProfile(const ReportLookupLists& lists, std::int32_t ttaaIndex,
                                  std::int32_t ttbbIndex, float latitude, float longitude) {
  LookupCache::Profile profile;
  UpperairRecord ttaa = (*lists.Ttaa)[static_cast<std::size_t>(ttaaIndex)];
  profile.Station = ttaa.Station;
  if (!DecodeTTAA(&ttaa)) return profile;
  UpperairPart ttbb;
  if (ttbbIndex >= 0) {
    ttbb = (*lists.Ttbb)[static_cast<std::size_t>(ttbbIndex)];
    DecodeTTBB(&ttbb);
  }
  if (lists.UsePpbb && lists.Ppbb != nullptr) {
    const std::int32_t part = NearestPPBB(latitude, longitude, lists.Ppbb);
    if (part >= 0) {
      UpperairPart ppbb = (*lists.Ppbb)[static_cast<std::size_t>(part)];
      DecodePPBB(&ppbb);
    }
  }
  UpperairRecord& merged = profile.Merged.emplace();
  MergeUpperair(&merged, &ttaa, &ttbb);
  InterpolateLevels(&merged);
  CalcHumidity(&merged);
  return profile;
}

// One station through every step; false, with the log line of the step that failed, when the
// station is left out.
bool ConvertStation(MetarRecord& station, const ReportLookupLists& lists, const OptionData& options,
                    const LogLine& log, LookupCache& cache, NewWeather& record) {
  ClMetar decoder;
  ClConvertWeather converter(options);
  UpperairRecord upperair;
  SynopRecord synop;
  if (!decoder.DecodeMetar(&station)) {
    log(wxS("Main: Error: Decode Metar -> ") + station.Raw);
    return false;
  }
  if (!converter.ConvertMetar(&record, &station)) {
    log(wxS("Main: Error: Convert Metar to NewWeather -> ") + station.Raw);
    return false;
  }
  if (options.DwlUpperair && lists.Ttaa != nullptr && !lists.Ttaa->empty()) {
    // The station's own upper-air record is what both lines name; the lookup leaves its Raw empty.
    if (!DecodeUpperairFor(&station, &upperair, lists, log, &cache)) {
      log(wxS("Main: Error: Decode Upperair -> ") + upperair.Raw);
      return false;
    }
    if (!converter.ConvertUpperair(&record, &upperair, &station)) {
      log(wxS("Main: Error: convert Upperair to NewWeather -> ") + upperair.Raw);
      return false;
    }
  }
  if (options.DwlAddWeather && lists.Synops != nullptr && !lists.Synops->empty() &&
      DecodeSynopFor(&station, &synop, lists, log, &cache) &&
      !converter.ConvertSynop(&record, &synop, &station)) {
    log(wxS("Main: Error: convert Synop to NewWeather -> ") + synop.Raw);
    return false;
  }
  if (!converter.CheckNewWeather(&record)) {
    log(wxS("Main: Error: Check NewWeather -> ") + station.Icao);
    return false;
  }
  return true;
}

}  // namespace

bool DecodeUpperairFor(MetarRecord* station, UpperairRecord* output, const ReportLookupLists& lists,
                       const LogLine& log, LookupCache* cache) {
  const float latitude = static_cast<float>(station->Latitude);
  const float longitude = static_cast<float>(station->Longitude);
  std::int32_t found = -1;
  if (lists.Ttaa != nullptr && cache != nullptr) {
    if (!cache->UsableTtaa) cache->UsableTtaa = DecodeAllTTAA(lists.Ttaa);
    found = NearestDecodedTTAA(latitude, longitude, *lists.Ttaa, *cache->UsableTtaa, kNoHeading);
  } else if (lists.Ttaa != nullptr) {
    found = NearestTTAA(latitude, longitude, lists.Ttaa, kNoHeading);
  }
  if (found < 0) {
    log(wxS("Main: Error: No founded Upperair from -> ") + station->Icao);
    return false;
  }
  const std::int32_t ttbbFound =
      lists.UseTtbb && lists.Ttbb != nullptr ? NearestTTBB(latitude, longitude, lists.Ttbb) : -1;
  LookupCache own;
  LookupCache& known = cache != nullptr ? *cache : own;
  const auto key = std::make_pair(found, ttbbFound);
  auto entry = known.Profiles.find(key);
  if (entry == known.Profiles.end()) {
    entry = known.Profiles.emplace(key, BuildProfile(lists, found, ttbbFound, latitude, longitude)).first;
  }
  const LookupCache::Profile& profile = entry->second;
  if (!profile.Merged) {
    log(wxS("Main: Error: Decode Upperair from -> ") + (*lists.Ttaa)[static_cast<std::size_t>(found)].Raw);
    return false;
  }
  station->UpperairStation = profile.Station.Id;
  station->UpperairDistance = WholeKm(*station, profile.Station);
  *output = *profile.Merged;
  return true;
}

bool DecodeSynopFor(MetarRecord* station, SynopRecord* output, const ReportLookupLists& lists,
                    const LogLine& log, LookupCache* cache) {
  const std::int32_t found = lists.Synops == nullptr
                                 ? -1
                                 : NearestSynop(static_cast<float>(station->Latitude),
                                                static_cast<float>(station->Longitude), lists.Synops);
  if (found < 0) {
    log(wxS("Main: Error: No founded Synop from -> ") + station->Icao);
    return false;
  }
  LookupCache own;
  LookupCache& known = cache != nullptr ? *cache : own;
  auto entry = known.Synops.find(found);
  if (entry == known.Synops.end()) {
    std::optional<SynopRecord> decoded = (*lists.Synops)[static_cast<std::size_t>(found)];
    if (!DecodeSynop(&*decoded)) decoded.reset();
    entry = known.Synops.emplace(found, std::move(decoded)).first;
  }
  if (!entry->second) {
    log(wxS("Main: Error: Decode Synop from -> ") + (*lists.Synops)[static_cast<std::size_t>(found)].Raw);
    return false;
  }
  const SynopRecord& synop = *entry->second;
  station->SynopStation = synop.Station.Id;
  station->SynopDistance = WholeKm(*station, synop.Station);
  *output = synop;
  return true;
}

ConversionResult ConvertSelection(std::vector<MetarRecord>& selection, const ReportLookupLists& lists,
                                  const OptionData& options, const LogLine& log) {
  log(wxS("Main: Start convert WX to NewWeather"));
  ConversionResult result;
  if (selection.empty()) return result;
  const bool global = selection.size() >= 2 && selection.front().Icao == kGlobalIcao;
  result.Records.reserve(selection.size());
  if (global) result.Records.emplace_back();
  LookupCache cache;
  for (std::size_t i = global ? 1 : 0; i < selection.size(); ++i) {
    NewWeather record;
    if (ConvertStation(selection[i], lists, options, log, cache, record)) result.Records.push_back(record);
  }
  if (global) {
    if (result.Records.size() > 1) {
      result.Records.front() = result.Records.back();
      NameGlobal(result.Records.front());
    } else {
      result.Records.clear();
    }
  }
  result.Label = result.Records.empty() ? kNothingConvertedLabel : wxString(wxS("Success"));
  log(wxS("Main: End convert WX to NewWeather"));
  return result;
}
