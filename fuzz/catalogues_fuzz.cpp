// The catalogue readers over a hand-edited or broken file: the same text read as "station.dat"
// and as "airport.dat", every station then found again by its identifier.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "reports/metar.h"
#include "reports/station_index.h"
#include "reports/weather_station.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const wxString text = InputText(data, size);

  const std::vector<StationEntry> stations = ClWeatherStation::ParseStations(text);
  const StationIndex index(stations);
  for (const StationEntry& station : stations) {
    const std::size_t found = index.Find(station.Id);
    Require(found < stations.size() && stations[found].Id == station.Id, "a station is found by its number");
  }

  ClMetar airports;
  airports.AddAirports(text);
  for (const StationEntry& airport : airports.GetAirports()) {
    MetarRecord metar;
    metar.Raw = airport.Id + wxS(" 121150Z 27010KT 9999 15/05 Q1013");
    airports.FindMetarStation(&metar);
  }
  return 0;
}
