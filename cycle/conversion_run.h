#pragma once

#include <wx/string.h>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "cycle/cycle_log.h"
#include "options/option_data.h"
#include "reports/metar_record.h"
#include "reports/synop_record.h"
#include "reports/upperair_records.h"
#include "simlink/new_weather.h"

// The loaded upper-air and SYNOP reports the conversion looks stations up in. The TTAA list is
// decoded in place by the nearest search, so it is the caller's own (the GUI thread's) list.
struct ReportLookupLists {
  std::vector<UpperairRecord>* Ttaa = nullptr;
  const std::vector<UpperairPart>* Ttbb = nullptr;
  const std::vector<UpperairPart>* Ppbb = nullptr;
  const std::vector<SynopRecord>* Synops = nullptr;
  bool UseTtbb = false;  // the program reads neither part
  bool UsePpbb = false;
};

// What the lookups of one conversion run have worked out: stations that share their nearest
// sounding or SYNOP report share its decoding. Valid only while the lists stay as they are.
struct LookupCache {
  struct Profile {
    StationEntry Station;                  // the TTAA station
    std::optional<UpperairRecord> Merged;  // none when the TTAA part does not decode
  };
  std::map<std::pair<std::int32_t, std::int32_t>, Profile> Profiles;  // by TTAA and TTBB index
  std::map<std::int32_t, std::optional<SynopRecord>> Synops;          // by index; none: no decode
  std::optional<std::vector<bool>> UsableTtaa;  // the TTAA list decoded once: which records serve
};

// The nearest usable sounding of the METAR station, decoded, merged, interpolated and with its
// humidities, into output; sets the station's UpperairStation and UpperairDistance (whole km).
// False, with its log line, when none is found or it does not decode.
bool DecodeUpperairFor(MetarRecord* station, UpperairRecord* output, const ReportLookupLists& lists,
                       const LogLine& log, LookupCache* cache = nullptr);

// The nearest SYNOP report within 300 km, decoded, into output; sets the station's SynopStation
// and SynopDistance (whole km). False, with its log line, when none is found or it does not decode.
bool DecodeSynopFor(MetarRecord* station, SynopRecord* output, const ReportLookupLists& lists,
                    const LogLine& log, LookupCache* cache = nullptr);

struct ConversionResult {
  // One record per station that passed every step, in selection order, "GLOB" first.
  std::vector<NewWeather> Records;
  // The progress label at the end: "Success" when there is anything to send; empty for an empty
  // selection, which is no run at all.
  wxString Label;
};

// Converts the chosen stations (decoded in place) into weather records, with the log lines of
// every station that fails. The options are copied for each station as they stand then.
//
// A first record named "GLOB" stands for the global weather: it becomes a copy of the record of
// the nearest station that passed (the last one), so the simulator gets its global weather even
// when the very nearest report is garbled, and no global record when no station passed.
ConversionResult ConvertSelection(std::vector<MetarRecord>& selection, const ReportLookupLists& lists,
                                  const OptionData& options, const LogLine& log);

// The progress label when no station passed.
inline const wxString kNothingConvertedLabel = wxS("No weather to send: no station converted");
