// The range check and the readable dump of a weather record over any 1024 bytes (counts beyond
// their arrays, negative counts, every field at its extremes). A shorter input is padded with
// zeros.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "simlink/convert_weather.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  NewWeather record;
  ClearNewWeather(&record);
  std::memcpy(&record, data, size < sizeof record ? size : sizeof record);
  WeatherInRange(record);
  Require(!DumpNewWeather(record).empty(), "every record has a dump");
  return 0;
}
