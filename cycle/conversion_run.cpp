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

// One station through every step; false, with the log line of the step that failed, when the
// station is left out.
bool ConvertStation(MetarRecord& station, const ReportLookupLists& lists, const OptionData& options,
                    const LogLine& log, NewWeather& record) {
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
    if (!DecodeUpperairFor(&station, &upperair, lists, log)) {
      log(wxS("Main: Error: Decode Upperair -> ") + upperair.Raw);
      return false;
    }
    if (!converter.ConvertUpperair(&record, &upperair, &station)) {
      log(wxS("Main: Error: convert Upperair to NewWeather -> ") + upperair.Raw);
      return false;
    }
  }
  if (options.DwlAddWeather && lists.Synops != nullptr && !lists.Synops->empty() &&
      DecodeSynopFor(&station, &synop, lists, log) && !converter.ConvertSynop(&record, &synop, &station)) {
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
                       const LogLine& log) {
  const std::int32_t found =
      lists.Ttaa == nullptr ? -1
                            : NearestTTAA(static_cast<float>(station->Latitude),
                                          static_cast<float>(station->Longitude), lists.Ttaa, kNoHeading);
  if (found < 0) {
    log(wxS("Main: Error: No founded Upperair from -> ") + station->Icao);
    return false;
  }
  UpperairRecord ttaa = (*lists.Ttaa)[static_cast<std::size_t>(found)];
  if (!DecodeTTAA(&ttaa)) {
    log(wxS("Main: Error: Decode Upperair from -> ") + ttaa.Raw);
    return false;
  }
  station->UpperairStation = ttaa.Station.Id;
  station->UpperairDistance = WholeKm(*station, ttaa.Station);

  UpperairPart ttbb;
  const float latitude = static_cast<float>(station->Latitude);
  const float longitude = static_cast<float>(station->Longitude);
  if (lists.UseTtbb && lists.Ttbb != nullptr) {
    const std::int32_t part = NearestTTBB(latitude, longitude, lists.Ttbb);
    if (part >= 0) {
      ttbb = (*lists.Ttbb)[static_cast<std::size_t>(part)];
      DecodeTTBB(&ttbb);
    }
  }
  if (lists.UsePpbb && lists.Ppbb != nullptr) {
    const std::int32_t part = NearestPPBB(latitude, longitude, lists.Ppbb);
    if (part >= 0) {
      UpperairPart ppbb = (*lists.Ppbb)[static_cast<std::size_t>(part)];
      DecodePPBB(&ppbb);
    }
  }
  MergeUpperair(output, &ttaa, &ttbb);
  InterpolateLevels(output);
  CalcHumidity(output);
  return true;
}

bool DecodeSynopFor(MetarRecord* station, SynopRecord* output, const ReportLookupLists& lists,
                    const LogLine& log) {
  const std::int32_t found = lists.Synops == nullptr
                                 ? -1
                                 : NearestSynop(static_cast<float>(station->Latitude),
                                                static_cast<float>(station->Longitude), lists.Synops);
  if (found < 0) {
    log(wxS("Main: Error: No founded Synop from -> ") + station->Icao);
    return false;
  }
  SynopRecord synop = (*lists.Synops)[static_cast<std::size_t>(found)];
  if (!DecodeSynop(&synop)) {
    log(wxS("Main: Error: Decode Synop from -> ") + synop.Raw);
    return false;
  }
  station->SynopStation = synop.Station.Id;
  station->SynopDistance = WholeKm(*station, synop.Station);
  *output = std::move(synop);
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
  for (std::size_t i = global ? 1 : 0; i < selection.size(); ++i) {
    NewWeather record;
    if (ConvertStation(selection[i], lists, options, log, record)) result.Records.push_back(record);
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
