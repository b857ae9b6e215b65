#include "reports/upperair.h"

#include <wx/regex.h>

namespace {

constexpr std::size_t kMinUpperairPartLength = 20;

// The part's header: MiMiMjMj YYGGI IIiii. One compiled pattern per word and per thread, since a
// wxRegEx keeps its last match inside the object.
const wxRegEx& HeaderPattern(const wxString& word) {
  static thread_local const wxRegEx ttaa(wxS("(TTAA)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})"),
                                         wxRE_EXTENDED);
  static thread_local const wxRegEx ttbb(wxS("(TTBB)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})"),
                                         wxRE_EXTENDED);
  static thread_local const wxRegEx ppbb(wxS("(PPBB)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})"),
                                         wxRE_EXTENDED);
  if (word == wxS("TTAA")) return ttaa;
  if (word == wxS("TTBB")) return ttbb;
  return ppbb;
}

}  // namespace

bool Upperair::Identify(const wxString& raw, const wxString& word, StationEntry* station) const {
  if (raw.length() < kMinUpperairPartLength) return false;
  const wxRegEx& re = HeaderPattern(word);
  if (!re.IsValid() || !re.Matches(raw)) return false;
  const std::size_t found = FindStation(re.GetMatch(raw, 3));
  if (found == StationIndex::npos) return false;
  *station = Stations[found];
  return true;
}

bool Upperair::FindTTAAStation(UpperairRecord* record) const {
  return Identify(record->Raw, wxS("TTAA"), &record->Station);
}

bool Upperair::FindTTBBStation(UpperairPart* part) const {
  return Identify(part->Raw, wxS("TTBB"), &part->Station);
}

bool Upperair::FindPPBBStation(UpperairPart* part) const {
  return Identify(part->Raw, wxS("PPBB"), &part->Station);
}
