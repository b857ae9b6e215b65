// --record: METAR lines decoded and converted into the simulator's weather record.

#include <wx/filefn.h>

#include <iostream>

#include "decode_tool.h"
#include "input_lines.h"
#include "json_writer.h"
#include "options/option_ini.h"
#include "reports/metar.h"
#include "reports/report_text.h"
#include "simlink/convert_weather.h"

namespace {

std::string HexBytes(const NewWeatherBytes& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (const std::uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

bool ReadOptions(const DecodeArgs& args, OptionData* options) {
  const std::string path = args.Value("options");
  if (path.empty()) return true;
  const wxString name = wxString::FromUTF8(path);
  if (!wxFileExists(name) || !LoadIni(options, name)) {
    std::cerr << "nubivane-decode: cannot read " << path << "\n";
    return false;
  }
  return true;
}

int RunRecord(const DecodeArgs& args, std::ostream& out) {
  OptionData options;
  if (!ReadOptions(args, &options)) return 1;
  ClMetar catalogue;
  const std::string airports = args.Value("airports");
  if (!airports.empty() && !catalogue.LoadAirports(wxString::FromUTF8(airports))) {
    std::cerr << "nubivane-decode: cannot open " << airports << "\n";
    return 1;
  }
  ClMetar decoder;
  ForEachFilledLine(args.bytes, [&](const char* line, std::size_t length) {
    MetarRecord metar;
    AssignLatin1(metar.Raw, line, length);
    const bool identified = !airports.empty() && catalogue.FindMetarStation(&metar);
    const bool decoded = decoder.DecodeMetar(&metar);
    JsonObject json;
    json.Field("raw", metar.Raw).Field("identified", identified).Field("decoded", decoded);
    if (decoded) {
      NewWeather record;
      ClConvertWeather converter(options);
      converter.ConvertMetar(&record, &metar);
      // The check alone: the tool leaves "FSUIPC.err" to the program.
      json.Field("check", WeatherInRange(record)).Raw("record", JsonObject::Quote(HexBytes(ToBytes(record))));
    } else {
      json.Field("check", false).Raw("record", "null");
    }
    out << json.Str() << "\n";
  });
  return 0;
}

// Each registration on its own: "airports" is registered by the METAR mode as well, and a
// duplicate reports false.
const bool kAirportsOption = RegisterDecodeValueOption("airports");
const bool kOptionsOption = RegisterDecodeValueOption("options");
const bool kRegistered = RegisterDecodeMode(
    {"record",
     "  --record             METAR lines converted into the simulator's 1024-byte weather\n"
     "                       record. --airports FILE gives the station elevations (airport.dat),\n"
     "                       --options FILE an ini for the options (defaults without it). Every\n"
     "                       line that is not blank prints one object: raw, identified, decoded,\n"
     "                       check (the record's range check) and record (2048 lower-case hex\n"
     "                       digits; null, with check false, when the line does not decode).",
     RunRecord});

}  // namespace
