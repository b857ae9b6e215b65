#include "reports/upperair_nearest.h"

#include <algorithm>

#include "base/units.h"
#include "reports/geometry.h"
#include "reports/ttaa_decoder.h"

namespace {

constexpr double kTtaaLimitKm = 10000.0;
constexpr double kTtbbLimitKm = 10000.0;
constexpr double kPpbbLimitKm = 1000.0;
constexpr double kHeadingHalfWindowDeg = 45.0;
constexpr std::size_t kMinUsableLevels = 3;

double StationKm(float latitude, float longitude, const StationEntry& station) {
  return DistanceKm(latitude, longitude, station.Latitude, station.Longitude);
}

double WrapDegrees(double degrees) {
  if (degrees < 0.0) return degrees + kDegreesPerTurn;
  if (degrees >= kDegreesPerTurn) return degrees - kDegreesPerTurn;
  return degrees;
}

// The window may span north (heading 20: 335 to 65).
bool WithinHeading(float latitude, float longitude, const StationEntry& station, int heading) {
  if (heading == kNoHeading) return true;
  const double course = Rad2Deg(InitialCourse(latitude, longitude, station.Latitude, station.Longitude));
  const double lower = WrapDegrees(heading - kHeadingHalfWindowDeg);
  const double upper = WrapDegrees(heading + kHeadingHalfWindowDeg);
  return lower <= upper ? course >= lower && course <= upper : course >= lower || course <= upper;
}

std::int32_t NearestPart(float latitude, float longitude, const std::vector<UpperairPart>& parts,
                         double limitKm) {
  std::int32_t choice = -1;
  double best = limitKm;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const double km = StationKm(latitude, longitude, parts[i].Station);
    if (km <= best) {
      best = km;
      choice = static_cast<std::int32_t>(i);
    }
  }
  return choice;
}

struct Candidate {
  double km;
  std::size_t index;
};

// The records within reach, nearest first, the later one of equal distances first.
std::vector<Candidate> TtaaCandidates(float latitude, float longitude,
                                      const std::vector<UpperairRecord>& records, int heading) {
  std::vector<Candidate> candidates;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const StationEntry& station = records[i].Station;
    const double km = StationKm(latitude, longitude, station);
    if (km <= kTtaaLimitKm && WithinHeading(latitude, longitude, station, heading))
      candidates.push_back({km, i});
  }
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.km != b.km ? a.km < b.km : a.index > b.index;
  });
  return candidates;
}

bool Usable(const UpperairRecord& record) { return record.Levels.size() >= kMinUsableLevels; }

}  // namespace

std::int32_t NearestTTAA(float latitude, float longitude, std::vector<UpperairRecord>* records, int heading) {
  for (const Candidate& candidate : TtaaCandidates(latitude, longitude, *records, heading)) {
    UpperairRecord& record = (*records)[candidate.index];
    DecodeTTAA(&record);
    if (Usable(record)) return static_cast<std::int32_t>(candidate.index);
  }
  return -1;
}

std::int32_t NearestDecodedTTAA(float latitude, float longitude, const std::vector<UpperairRecord>& records,
                                const std::vector<bool>& usable, int heading) {
  for (const Candidate& candidate : TtaaCandidates(latitude, longitude, records, heading)) {
    if (candidate.index < usable.size() && usable[candidate.index])
      return static_cast<std::int32_t>(candidate.index);
  }
  return -1;
}

std::vector<bool> DecodeAllTTAA(std::vector<UpperairRecord>* records) {
  std::vector<bool> usable(records->size());
  for (std::size_t i = 0; i < records->size(); ++i) {
    DecodeTTAA(&(*records)[i]);
    usable[i] = Usable((*records)[i]);
  }
  return usable;
}

std::int32_t NearestTTBB(float latitude, float longitude, const std::vector<UpperairPart>* parts) {
  return NearestPart(latitude, longitude, *parts, kTtbbLimitKm);
}

std::int32_t NearestPPBB(float latitude, float longitude, const std::vector<UpperairPart>* parts) {
  return NearestPart(latitude, longitude, *parts, kPpbbLimitKm);
}
