#include "reports/upperair.h"

#include "reports/report_pattern.h"
#include "reports/temp_groups.h"

namespace {

constexpr std::size_t kMinUpperairPartLength = 20;

}  // namespace

bool Upperair::Identify(const wxString& raw, const ReportPattern& header, StationEntry* station) const {
  if (raw.length() < kMinUpperairPartLength || !header.Search(raw)) return false;
  const std::size_t found = FindStation(header.GroupText(raw, 3));
  if (found == StationIndex::npos) return false;
  *station = Stations[found];
  return true;
}

bool Upperair::FindTTAAStation(UpperairRecord* record) const {
  static thread_local const ReportPattern kHeader(wxS("(TTAA)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})"));
  return Identify(record->Raw, kHeader, &record->Station);
}

bool Upperair::FindTTBBStation(UpperairPart* part) const {
  static thread_local const ReportPattern kHeader(kTtbbHeader);
  return Identify(part->Raw, kHeader, &part->Station);
}

bool Upperair::FindPPBBStation(UpperairPart* part) const {
  static thread_local const ReportPattern kHeader(kPpbbHeader);
  return Identify(part->Raw, kHeader, &part->Station);
}
