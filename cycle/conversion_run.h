#pragma once

#include <wx/string.h>

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

// The nearest usable sounding of the METAR station, decoded, merged, interpolated and with its
// humidities, into output; sets the station's UpperairStation and UpperairDistance (whole km).
// False, with its log line, when none is found or it does not decode.
bool DecodeUpperairFor(MetarRecord* station, UpperairRecord* output, const ReportLookupLists& lists,
                       const LogLine& log);

// The nearest SYNOP report within 300 km, decoded, into output; sets the station's SynopStation
// and SynopDistance (whole km). False, with its log line, when none is found or it does not decode.
bool DecodeSynopFor(MetarRecord* station, SynopRecord* output, const ReportLookupLists& lists,
                    const LogLine& log);

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
