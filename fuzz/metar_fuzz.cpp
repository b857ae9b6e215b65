// A METAR line from a hostile feed: identification in the shipped airport catalogue, decoding,
// conversion into the weather record (options varied by the input) and the range check with its
// dump.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "reports/metar.h"
#include "simlink/convert_weather.h"

namespace {

ClMetar& Catalogue() {
  static ClMetar* catalogue = [] {
    auto* metar = new ClMetar;
    metar->LoadAirports(CataloguePath("airport.dat"));
    return metar;
  }();
  return *catalogue;
}

// The option flags the METAR conversion reads, from the bits of a sum of the input.
OptionData OptionsFor(const std::uint8_t* data, std::size_t size) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum = sum * 31 + data[i];
  OptionData options;
  options.SurfaceWindGust = (sum & 1) != 0;
  options.TurbulenceCloud = (sum & 2) != 0;
  options.Cloudmixed = (sum & 4) != 0;
  options.AlignUpperWinds = (sum & 8) != 0;
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  Catalogue();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MetarRecord metar;
  metar.Raw = InputText(data, size);
  Catalogue().FindMetarStation(&metar);
  ClMetar decoder;
  if (!decoder.DecodeMetar(&metar)) return 0;
  NewWeather record;
  ClConvertWeather converter(OptionsFor(data, size));
  converter.ConvertMetar(&record, &metar);
  if (!WeatherInRange(record)) DumpNewWeather(record);
  return 0;
}
