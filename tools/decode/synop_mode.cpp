// --synop: SYNOP pieces, identified against a station.dat and decoded.
#include <wx/filename.h>

#include <iostream>

#include "decode_tool.h"
#include "json_writer.h"
#include "reports/bulletin_split.h"
#include "reports/synop.h"

namespace {

std::string CloudsJson(const std::vector<SynopCloudGroup>& groups) {
  JsonArray clouds;
  for (const SynopCloudGroup& g : groups) {
    clouds.Add(JsonObject()
                   .Field("genus", static_cast<int>(g.Genus))
                   .Field("amount", static_cast<int>(g.Amount))
                   .Field("base", static_cast<int>(g.Base))
                   .Str());
  }
  return clouds.Str();
}

int RunSynop(const DecodeArgs& args, std::ostream& out) {
  const std::string stations = args.Value("stations");
  if (stations.empty() || !wxFileName::FileExists(wxString::FromUTF8(stations))) {
    std::cerr << "nubivane-decode: --synop needs --stations FILE (a station.dat)\n";
    return 2;
  }
  const ClSynop catalogue(wxString::FromUTF8(stations));
  wxString header;  // "AAXX YYGGi" of the bulletin so far, for stations without their own
  for (const wxString& piece : SplitBulletinPieces(args.Text())) {
    SynopRecord record;
    record.Raw = piece;
    record.Header = header;
    const bool identified = catalogue.FindSynopStation(&record);
    SynopRecord decoded = record;
    const bool ok = DecodeSynop(&decoded);
    header = SynopHeaderAfter(piece, header);
    out << JsonObject()
               .Field("raw", piece)
               .Field("identified", identified)
               .Field("decoded", ok)
               .Field("station", decoded.Station.Id)
               .Field("time", decoded.Station.Time)
               .Field("visibility", decoded.Visibility)
               .Field("low", static_cast<int>(decoded.LowCloudType))
               .Field("middle", static_cast<int>(decoded.MiddleCloudType))
               .Field("high", static_cast<int>(decoded.HighCloudType))
               .Raw("clouds", CloudsJson(decoded.CloudGroups))
               .Str()
        << "\n";
  }
  return 0;
}

const bool kRegistered =
    RegisterDecodeValueOption("stations") &&
    RegisterDecodeMode({"synop",
                        "  --synop --stations FILE\n"
                        "      SYNOP text (AAXX), cut into pieces at every \"=\"; stations after the\n"
                        "      first of a bulletin take its \"AAXX YYGGi\". FILE is a station.dat.\n"
                        "      Per piece: raw, identified, decoded, station (WMO number), time (YYGG),\n"
                        "      visibility (NM, -1 none), low, middle, high (cloud-type codes, 10 none),\n"
                        "      clouds (section 3: genus, amount (10 for /), base in ft).\n",
                        RunSynop});

}  // namespace
