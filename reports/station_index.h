#pragma once

#include <wx/string.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "reports/station_entry.h"

// Looks stations up by identifier in a catalogue, built once: gives exactly the entry a walk in
// file order would find first, without walking the catalogue for every report.
class StationIndex {
 public:
  StationIndex() = default;
  explicit StationIndex(const std::vector<StationEntry>& stations) { Build(stations); }

  void Build(const std::vector<StationEntry>& stations) {
    first_.clear();
    first_.reserve(stations.size());
    for (std::size_t i = 0; i < stations.size(); ++i) first_.emplace(stations[i].Id.ToStdWstring(), i);
  }

  // Position of the first entry with exactly this identifier, or npos.
  std::size_t Find(const wxString& id) const {
    const auto it = first_.find(id.ToStdWstring());
    return it == first_.end() ? npos : it->second;
  }

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  std::unordered_map<std::wstring, std::size_t> first_;  // emplace keeps the first of duplicates
};
