// The default mode: METAR lines, identified against an airport catalogue and decoded.

#include <iostream>
#include <memory>

#include "decode_tool.h"
#include "input_lines.h"
#include "json_writer.h"
#include "parallel_lines.h"
#include "reports/metar.h"
#include "reports/report_text.h"

namespace {

void PutClouds(JsonBuffer& out, const std::vector<CloudLayer>& clouds) {
  out.Put('[');
  for (const CloudLayer& layer : clouds) {
    if (&layer != &clouds.front()) out.Put(',');
    JsonFields(out).Number("cover", layer.Cover).Number("base", layer.Base).Text("type", layer.Type).End();
  }
  out.Put(']');
}

template <std::size_t N>
void PutTextOrNull(JsonFields& json, const char (&key)[N], const wxString& text) {
  if (text.empty()) {
    json.Null(key);
  } else {
    json.Text(key, text);
  }
}

void PutMetarLine(JsonBuffer& out, const MetarRecord& r, bool identified, bool decoded) {
  JsonFields json(out);
  json.Text("raw", r.Raw).Bool("identified", identified).Bool("decoded", decoded);
  PutTextOrNull(json, "icao", r.Icao);
  if (identified) {
    json.Text("name", r.Name).Text("time", r.Time);
    json.Real("latitude", r.Latitude).Real("longitude", r.Longitude).Number("elevation", r.Elevation);
  } else {
    json.Null("name");
    PutTextOrNull(json, "time", r.Time);
    json.Null("latitude").Null("longitude").Null("elevation");
  }
  json.Number("wind_dir", r.WindDirection)
      .Number("wind_speed", r.WindSpeed)
      .Number("wind_gust", r.WindGust)
      .Number("var_from", r.VariableFrom)
      .Number("var_to", r.VariableTo)
      .Number("visibility", r.Visibility)
      .Number("temperature", r.Temperature)
      .Number("dew_point", r.DewPoint)
      .Number("pressure", r.Pressure)
      .Text("weather", r.PresentWeather)
      .Number("intensity", r.Intensity);
  PutClouds(json.Key("clouds"), r.Clouds);
  json.End();
  out.Put('\n');
}

int RunMetar(const DecodeArgs& args, std::ostream& out) {
  ClMetar catalogue;
  const std::string airports = args.Value("airports");
  const bool identify = !airports.empty();
  if (identify && !catalogue.LoadAirports(wxString::FromUTF8(airports))) {
    std::cerr << "nubivane-decode: cannot open " << airports << "\n";
    return 1;
  }
  const std::vector<LineRange> lines = FilledLines(args.bytes);
  WriteLinesInOrder(
      lines,
      [&]() -> LineWriter {
        auto decoder = std::make_shared<ClMetar>();
        return [&catalogue, identify, decoder](const LineRange& line, JsonBuffer& json) {
          MetarRecord record;
          AssignLatin1(record.Raw, line.begin, line.length);
          const bool identified = identify && catalogue.FindMetarStation(&record);
          const bool decoded = decoder->DecodeMetar(&record);
          PutMetarLine(json, record, identified, decoded);
        };
      },
      out);
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
