// --ttaa: TEMP part A pieces, identified against a station.dat and decoded; --profile merges,
// sorts and interpolates them and adds humidities.
#include <wx/filename.h>

#include <cmath>
#include <iostream>

#include "decode_tool.h"
#include "json_writer.h"
#include "reports/bulletin_split.h"
#include "reports/ttaa_decoder.h"
#include "reports/upperair.h"
#include "reports/upperair_profile.h"

namespace {

// Report values come in tenths; printing the float's nearest short decimal keeps 22.2 from
// showing as 22.20000076.
double Shown(float value) { return std::round(static_cast<double>(value) * 1000.0) / 1000.0; }

JsonObject LevelJson(const UpperLevel& level) {
  JsonObject json;
  json.Field("pressure", static_cast<int>(level.Pressure))
      .Field("height", static_cast<int>(level.Height))
      .Field("temperature", Shown(level.Temperature))
      .Field("dew_point", Shown(level.DewPoint))
      .Field("direction", static_cast<int>(level.Direction))
      .Field("speed", static_cast<int>(level.Speed));
  return json;
}

std::string LevelsJson(const std::vector<UpperLevel>& levels, bool withHumidity) {
  JsonArray array;
  for (const UpperLevel& level : levels) {
    JsonObject json = LevelJson(level);
    if (withHumidity) json.Field("humidity", Shown(level.Humidity));
    array.Add(json.Str());
  }
  return array.Str();
}

std::string TropopauseJson(const UpperLevel& tropopause) {
  return tropopause.Pressure == 0 ? "null" : LevelJson(tropopause).Str();
}

std::string MaxWindJson(const UpperLevel& maxWind) {
  return maxWind.Pressure == kNoMaxWindPressure ? "null" : LevelJson(maxWind).Str();
}

int RunTtaa(const DecodeArgs& args, std::ostream& out) {
  const std::string stations = args.Value("stations");
  if (stations.empty() || !wxFileName::FileExists(wxString::FromUTF8(stations))) {
    std::cerr << "nubivane-decode: --ttaa needs --stations FILE (a station.dat)\n";
    return 2;
  }
  const Upperair catalogue(wxString::FromUTF8(stations));
  const bool profile = args.Has("profile");
  for (const wxString& piece : SplitBulletinPieces(args.Text())) {
    if (!piece.Contains(wxS("TTAA"))) continue;
    UpperairRecord record;
    record.Raw = piece;
    const bool identified = catalogue.FindTTAAStation(&record);
    const bool decoded = DecodeTTAA(&record);
    UpperairRecord shown = record;
    if (profile) {
      shown = UpperairRecord();
      const UpperairPart noTtbb;  // the program merges no TTBB part
      MergeUpperair(&shown, &record, &noTtbb);
      InterpolateLevels(&shown);
      CalcHumidity(&shown);
    }
    out << JsonObject()
               .Field("raw", piece)
               .Field("identified", identified)
               .Field("decoded", decoded)
               .Field("station", record.Station.Id)
               .Raw("levels", LevelsJson(shown.Levels, profile))
               .Raw("tropopause", TropopauseJson(shown.Tropopause))
               .Raw("max_wind", MaxWindJson(shown.MaxWind))
               .Str()
        << "\n";
  }
  return 0;
}

const bool kRegistered = RegisterDecodeMode(
    {"ttaa",
     "  --ttaa --stations FILE [--profile]\n"
     "      TEMP text, cut into pieces at every \"=\"; every piece holding TTAA is\n"
     "      identified against FILE (a station.dat) and decoded. Per piece: raw,\n"
     "      identified, decoded, station, levels (pressure hPa, height m, temperature\n"
     "      and dew_point C, direction deg, speed kt; missing: height 99999,\n"
     "      temperatures 999, winds 999), tropopause and max_wind (the same keys, or null).\n"
     "      --profile: levels is the merged profile (surface, standard levels, tropopause,\n"
     "      maximum wind), highest pressure first, missing values interpolated, each\n"
     "      with humidity (percent, 999 when it cannot be computed).\n",
     RunTtaa});

}  // namespace
