// SYNOP text from a hostile feed: cut into pieces, the bulletin header carried from piece to
// piece, each piece identified in the shipped station catalogue and decoded, and the decoded
// report taken into a converted METAR record.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "reports/bulletin_split.h"
#include "reports/metar.h"
#include "reports/synop.h"
#include "simlink/convert_weather.h"

namespace {

const ClSynop& Catalogue() {
  static const ClSynop* catalogue = new ClSynop(CataloguePath("station.dat"));
  return *catalogue;
}

// A METAR that takes every SYNOP of its hour, for the SYNOP conversion.
const MetarRecord& NearbyMetar() {
  static const MetarRecord* metar = [] {
    auto* record = new MetarRecord;
    record->Raw = wxS("EDDF 121150Z 27010KT 9999 FEW030 SCT080 BKN250 15/05 Q1013");
    ClMetar decoder;
    decoder.DecodeMetar(record);
    record->Time = wxS("121150Z");
    record->SynopDistance = 10;  // near enough for the SYNOP to count whatever its station
    return record;
  }();
  return *metar;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  Catalogue();
  NearbyMetar();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  wxString header;
  for (const wxString& piece : SplitBulletinPieces(InputText(data, size))) {
    SynopRecord synop;
    synop.Raw = piece;
    synop.Header = header;
    header = SynopHeaderAfter(piece, header);
    if (!Catalogue().FindSynopStation(&synop) || !DecodeSynop(&synop)) continue;
    NewWeather record;
    ClConvertWeather converter;
    converter.ConvertMetar(&record, &NearbyMetar());
    converter.ConvertSynop(&record, &synop, &NearbyMetar());
    WeatherInRange(record);
  }
  return 0;
}
