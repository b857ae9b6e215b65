// TEMP text from a hostile feed: cut into pieces, TTAA, TTBB and PPBB parts identified in the
// shipped station catalogue and decoded, every TTAA merged with the first TTBB part and alone,
// interpolated, given its humidities and taken into a converted METAR record.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "reports/bulletin_split.h"
#include "reports/metar.h"
#include "reports/ttaa_decoder.h"
#include "reports/upperair.h"
#include "reports/upperair_profile.h"
#include "simlink/convert_weather.h"

namespace {

const Upperair& Catalogue() {
  static const Upperair* catalogue = new Upperair(CataloguePath("station.dat"));
  return *catalogue;
}

const MetarRecord& SurfaceMetar() {
  static const MetarRecord* metar = [] {
    auto* record = new MetarRecord;
    record->Raw = wxS("EDDF 121150Z 27010KT 9999 FEW030 SCT080 BKN250 15/05 Q1013");
    ClMetar decoder;
    decoder.DecodeMetar(record);
    record->Elevation = 364;
    return record;
  }();
  return *metar;
}

void Profile(const UpperairRecord& ttaa, const UpperairPart& ttbb) {
  UpperairRecord merged;
  MergeUpperair(&merged, &ttaa, &ttbb);
  InterpolateLevels(&merged);
  CalcHumidity(&merged);
  NewWeather record;
  ClConvertWeather converter;
  converter.ConvertMetar(&record, &SurfaceMetar());
  if (converter.ConvertUpperair(&record, &merged, &SurfaceMetar())) WeatherInRange(record);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  Catalogue();
  SurfaceMetar();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<UpperairRecord> ttaa;
  std::vector<UpperairPart> ttbb;
  for (const wxString& piece : SplitBulletinPieces(InputText(data, size))) {
    if (piece.Contains(wxS("TTAA"))) {
      UpperairRecord record;
      record.Raw = piece;
      Catalogue().FindTTAAStation(&record);
      DecodeTTAA(&record);
      ttaa.push_back(record);
    }
    if (piece.Contains(wxS("TTBB"))) {
      UpperairPart part;
      part.Raw = piece;
      Catalogue().FindTTBBStation(&part);
      DecodeTTBB(&part);
      ttbb.push_back(part);
    }
    if (piece.Contains(wxS("PPBB"))) {
      UpperairPart part;
      part.Raw = piece;
      Catalogue().FindPPBBStation(&part);
      DecodePPBB(&part);
    }
  }
  const UpperairPart noTtbb;
  for (const UpperairRecord& record : ttaa) {
    Profile(record, noTtbb);
    if (!ttbb.empty()) Profile(record, ttbb.front());
  }
  return 0;
}
