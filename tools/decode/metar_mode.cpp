// The default mode: METAR lines, identified against an airport catalogue and decoded.

#include <iostream>

#include "decode_tool.h"
#include "json_writer.h"
#include "reports/metar.h"
#include "reports/report_text.h"

namespace {

bool IsBlankLine(const wxString& line) {
  for (const wxUniChar c : line) {
    if (!IsAsciiSpace(c)) return false;
  }
  return true;
}

std::string CloudsJson(const std::vector<CloudLayer>& clouds) {
  JsonArray array;
  for (const CloudLayer& layer : clouds) {
    array.Add(JsonObject()
                  .Field("cover", static_cast<std::int64_t>(layer.Cover))
                  .Field("base", static_cast<std::int64_t>(layer.Base))
                  .Field("type", layer.Type)
                  .Str());
  }
  return array.Str();
}

std::string TextOrNull(const wxString& text) { return text.empty() ? "null" : JsonObject::Quote(text); }

std::string MetarJson(const MetarRecord& r, bool identified, bool decoded) {
  JsonObject json;
  json.Field("raw", r.Raw).Field("identified", identified).Field("decoded", decoded);
  json.Raw("icao", TextOrNull(r.Icao));
  if (identified) {
    json.Field("name", r.Name).Field("time", r.Time);
    json.Field("latitude", r.Latitude).Field("longitude", r.Longitude);
    json.Field("elevation", static_cast<std::int64_t>(r.Elevation));
  } else {
    json.Raw("name", "null").Raw("time", TextOrNull(r.Time));
    json.Raw("latitude", "null").Raw("longitude", "null").Raw("elevation", "null");
  }
  json.Field("wind_dir", static_cast<std::int64_t>(r.WindDirection))
      .Field("wind_speed", static_cast<std::int64_t>(r.WindSpeed))
      .Field("wind_gust", static_cast<std::int64_t>(r.WindGust))
      .Field("var_from", static_cast<std::int64_t>(r.VariableFrom))
      .Field("var_to", static_cast<std::int64_t>(r.VariableTo))
      .Field("visibility", static_cast<std::int64_t>(r.Visibility))
      .Field("temperature", static_cast<std::int64_t>(r.Temperature))
      .Field("dew_point", static_cast<std::int64_t>(r.DewPoint))
      .Field("pressure", static_cast<std::int64_t>(r.Pressure))
      .Field("weather", r.PresentWeather)
      .Field("intensity", static_cast<std::int64_t>(r.Intensity))
      .Raw("clouds", CloudsJson(r.Clouds));
  return json.Str();
}

int RunMetar(const DecodeArgs& args, std::ostream& out) {
  ClMetar catalogue;
  const std::string airports = args.Value("airports");
  const bool identify = !airports.empty();
  if (identify && !catalogue.LoadAirports(wxString::FromUTF8(airports))) {
    std::cerr << "nubivane-decode: cannot open " << airports << "\n";
    return 1;
  }
  ClMetar decoder;
  for (const wxString& line : SplitLines(args.input)) {
    if (IsBlankLine(line)) continue;
    MetarRecord record;
    record.Raw = line;
    const bool identified = identify && catalogue.FindMetarStation(&record);
    const bool decoded = decoder.DecodeMetar(&record);
    out << MetarJson(record, identified, decoded) << "\n";
  }
  return 0;
}

const bool kRegistered =
    RegisterDecodeValueOption("airports") &&
    RegisterDecodeMode(
        {"",
         "  (default)            METAR lines. --airports FILE identifies each line in an\n"
         "                       airport.dat catalogue (without it identification is skipped).\n"
         "                       Every line that is not blank prints one object: raw, identified,\n"
         "                       decoded, icao, name, time, latitude, longitude, elevation,\n"
         "                       wind_dir, wind_speed, wind_gust, var_from, var_to, visibility,\n"
         "                       temperature, dew_point, pressure, weather, intensity, clouds\n"
         "                       [{cover, base, type}]. Lines that are not reports (date lines)\n"
         "                       print identified:false, decoded:false; blank lines print nothing.\n"
         "                       The weather fields are what the record holds, also after a failed\n"
         "                       decode; 65535 marks a variable wind and a missing sector; the\n"
         "                       catalogue fields are null for a line that was not identified.",
         RunMetar});

}  // namespace
