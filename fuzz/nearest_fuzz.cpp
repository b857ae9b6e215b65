// The nearest-station searches over hostile positions: NaN, infinities and values far off the
// globe for the aircraft and for the stations, and any heading. The input is text: a first line
// "latitude longitude heading", then one line per station, "latitude longitude report"; a report
// holding TTAA, TTBB or PPBB is that part (TTAA decoded by the search), any other a SYNOP.

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "reports/geometry.h"
#include "reports/synop.h"
#include "reports/upperair_nearest.h"

namespace {

// strtod's reading ("nan", "inf" and "1e999" included), as a float without an undefined cast.
float ReadFloat(const char** text) {
  char* end = nullptr;
  const double value = std::strtod(*text, &end);
  *text = end;
  if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
    return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

int ReadHeading(const char** text) {
  char* end = nullptr;
  const long value = std::strtol(*text, &end, 10);
  *text = end;
  if (value > 100000) return 100000;
  if (value < -100000) return -100000;
  return static_cast<int>(value);
}

template <typename Record>
void CheckIndex(std::int32_t found, const std::vector<Record>& records, const char* search) {
  Require(found == -1 || (found >= 0 && static_cast<std::size_t>(found) < records.size()), search);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  std::string line;
  std::getline(lines, line);
  const char* at = line.c_str();
  const float latitude = ReadFloat(&at);
  const float longitude = ReadFloat(&at);
  const int heading = ReadHeading(&at);

  std::vector<UpperairRecord> ttaa;
  std::vector<UpperairPart> ttbb;
  std::vector<UpperairPart> ppbb;
  std::vector<SynopRecord> synops;
  while (std::getline(lines, line)) {
    at = line.c_str();
    StationEntry station;
    station.Latitude = ReadFloat(&at);
    station.Longitude = ReadFloat(&at);
    const wxString report = InputText(reinterpret_cast<const std::uint8_t*>(at), std::strlen(at));
    if (report.Contains(wxS("TTAA"))) {
      ttaa.push_back({station, {}, {}, {}, {}, report});
    } else if (report.Contains(wxS("TTBB"))) {
      ttbb.push_back({station, {}, report});
    } else if (report.Contains(wxS("PPBB"))) {
      ppbb.push_back({station, {}, report});
    } else {
      SynopRecord synop;
      synop.Raw = report;
      synop.Station = station;
      synops.push_back(synop);
    }
    GreatCircleAngle(latitude, longitude, station.Latitude, station.Longitude);
    InitialCourse(latitude, longitude, station.Latitude, station.Longitude);
  }
  CheckIndex(NearestTTAA(latitude, longitude, &ttaa, heading), ttaa, "NearestTTAA with a heading");
  CheckIndex(NearestTTAA(latitude, longitude, &ttaa), ttaa, "NearestTTAA");
  CheckIndex(NearestTTBB(latitude, longitude, &ttbb), ttbb, "NearestTTBB");
  CheckIndex(NearestPPBB(latitude, longitude, &ppbb), ppbb, "NearestPPBB");
  CheckIndex(NearestSynop(latitude, longitude, &synops), synops, "NearestSynop");
  return 0;
}
