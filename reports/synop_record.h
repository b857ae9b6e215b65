#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "reports/station_entry.h"

// Markers of a decoded SYNOP report.
constexpr std::uint8_t kSynopCloudTypeNotGiven = 10;  // no 8NhCLCMCH group in section 1
constexpr std::uint8_t kSynopAmountNotGiven = 10;     // Ns reported as "/"
constexpr double kSynopNoVisibility = -1.0;           // VV not given, or no header decoded

// One section-3 cloud group 8NsChshs.
struct SynopCloudGroup {
  std::uint8_t Genus = 0;   // C, WMO cloud genus 0-9
  std::uint8_t Amount = 0;  // Ns in oktas 0-9; kSynopAmountNotGiven for "/"
  std::uint16_t Base = 0;   // feet; heights beyond 65535 ft are clamped there
};

// One SYNOP (FM 12, AAXX) land-station report.
struct SynopRecord {
  // One piece of the SYNOP text as cut at every "=".
  wxString Raw;
  // The section-0 header "AAXX YYGGi" of the bulletin the piece came from, for a piece that does
  // not carry its own (every station after the first of a multi-station bulletin). Empty when the
  // piece carries it, or when none was seen.
  wxString Header;
  // The station from "station.dat"; Station.Time holds the day and hour YYGG once decoded, and
  // stays empty when no header decodes.
  StationEntry Station;
  double Visibility = kSynopNoVisibility;    // nautical miles
  std::vector<SynopCloudGroup> CloudGroups;  // section 3, in report order
  // CL, CM, CH: WMO cloud-type codes 0-9 (a "/" in the group reads 0); kSynopCloudTypeNotGiven
  // when the report has no cloud-type group.
  std::uint8_t LowCloudType = kSynopCloudTypeNotGiven;
  std::uint8_t MiddleCloudType = kSynopCloudTypeNotGiven;
  std::uint8_t HighCloudType = kSynopCloudTypeNotGiven;
};
