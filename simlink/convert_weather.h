#pragma once

#include <wx/string.h>

#include "options/option_data.h"
#include "reports/metar_record.h"
#include "simlink/new_weather.h"

struct SynopRecord;
struct UpperairRecord;

// The dump of every record that fails its range check is appended here, in the working directory.
inline const wxString kWeatherDumpFile = wxS("FSUIPC.err");

// The range check alone: true when every tested field of every layer within the counts lies
// within its bounds. A count above its array's size fails; a count of 0 or less tests nothing.
bool WeatherInRange(const NewWeather& record);

// The readable dump of a record (CR LF line ends), as kept and written by a failing check.
wxString DumpNewWeather(const NewWeather& record);

// Appends the dump as UTF-8, creating the file when absent. False when it cannot be opened or
// written; nothing is shown to the user either way.
bool AppendWeatherDump(const wxString& dump, const wxString& path = kWeatherDumpFile);

// Turns one station's decoded reports into a NewWeather record and checks it before it is sent.
// One converter serves one station on one thread.
class ClConvertWeather {
 public:
  // Serves only the range check (the hand-typed record); the options stay at their defaults.
  ClConvertWeather();
  // Keeps a copy of the options as they stand now.
  explicit ClConvertWeather(OptionData options);
  ~ClConvertWeather();

  // Builds the whole record from the METAR, starting from an all-zero record. Always true.
  bool ConvertMetar(NewWeather* record, const MetarRecord* metar);

  // Replaces the layers above the station by the measured levels of the nearest sounding and
  // ends with the range check. True without change for a sounding of fewer than 3 levels; false
  // when more levels would be taken than the record holds, or when the check fails.
  bool ConvertUpperair(NewWeather* record, const UpperairRecord* upperair, const MetarRecord* metar);

  // Takes visibility and cloud types from a recent nearby SYNOP into the record the METAR (and
  // perhaps the sounding) gave. Always true.
  bool ConvertSynop(NewWeather* record, const SynopRecord* synop, const MetarRecord* metar);

  // True when the record lies within its bounds. Otherwise false, after the dump has been kept
  // as the last error and appended to "FSUIPC.err". The record is not changed.
  bool CheckNewWeather(const NewWeather* record);

  // The dump of the last failing check; empty when none has failed on this converter.
  wxString GetErrorText() const { return LastError; }

 private:
  OptionData Options;
  wxString LastError;
};
