#include "reports/synop.h"

#include <algorithm>

#include "base/units.h"
#include "reports/geometry.h"
#include "reports/report_pattern.h"
#include "reports/report_text.h"

namespace {

constexpr std::size_t kMinSynopPieceLength = 40;
constexpr double kNearestSynopLimitKm = 300.0;
constexpr std::uint32_t kMaxCloudBaseFt = 65535;

// What opens a new section 0 or a new bulletin, or ends a message: the last one in a piece
// decides which "AAXX YYGGi" the following pieces belong to.
constexpr const wxChar* kBulletinMarker =
    wxS("(AAXX[[:space:]]*([0-9/"
        "]{5}))|AAXX|BBXX|OOXX|NNNN|([A-Z]{4}[0-9]{2}[[:space:]]+[A-Z]{4}[[:space:]]+[0-9]{6})");

bool IsOverlong(const SynopRecord& record) {
  return record.Raw.length() > kMaxSynopPieceLength || record.Header.length() > kMaxSynopPieceLength;
}

bool HasSlash(const wxString& text) { return text.find('/') != wxString::npos; }

std::uint8_t DigitAt(const wxString& group, std::size_t at) {
  return static_cast<std::uint8_t>(ReadWholeNumber(group.Mid(at, 1)));  // "/" reads 0
}

// VV, code table 4377, in nautical miles. A slash in either digit means not given.
double VisibilityNm(const wxString& vv) {
  if (vv.length() != 2 || HasSlash(vv)) return kSynopNoVisibility;
  const int v = static_cast<int>(ReadWholeNumber(vv));
  if (v <= 50) return v / 10.0 / kKmPerNauticalMile;
  if (v <= 80) return (v - 50) / kKmPerNauticalMile;
  if (v <= 89) return (5 * v - 370) / kKmPerNauticalMile;
  static const double kCodedNm[] = {0.02, 0.02, 0.1, 0.27, 0.53, 1.07, 2.16, 5.39, 10.79, 40.0};
  return kCodedNm[v - 90];
}

// hshs, code table 1677, in feet. 90-99 are ranges; they give the lower end of theirs.
std::uint16_t CloudBaseFt(const wxString& hshs) {
  const int h = static_cast<int>(ReadWholeNumber(hshs));
  std::uint32_t feet = 0;
  if (h <= 50) {
    feet = static_cast<std::uint32_t>(h) * 100;
  } else if (h <= 80) {
    feet = static_cast<std::uint32_t>(h - 50) * 1000;
  } else if (h <= 89) {
    feet = static_cast<std::uint32_t>(h - 74) * 5000;
  } else {
    static const double kRangeStartM[] = {0, 50, 100, 200, 300, 600, 1000, 1500, 2000, 2500};
    feet = static_cast<std::uint32_t>(kRangeStartM[h - 90] * kFeetPerMetre);
  }
  return static_cast<std::uint16_t>(std::min(feet, kMaxCloudBaseFt));
}

// 8NhCLCMCH of section 1. Nh is not used.
void ReadCloudTypes(const wxString& group, SynopRecord* record) {
  record->LowCloudType = DigitAt(group, 2);
  record->MiddleCloudType = DigitAt(group, 3);
  record->HighCloudType = DigitAt(group, 4);
}

// 8NsChshs of section 3.
SynopCloudGroup ReadCloudGroup(const wxString& group) {
  SynopCloudGroup cloud;
  cloud.Amount = group[1] == '/' ? kSynopAmountNotGiven : DigitAt(group, 1);
  cloud.Genus = DigitAt(group, 2);
  cloud.Base = CloudBaseFt(group.Mid(3, 2));
  return cloud;
}

enum class SynopSection { kMain, kSea, kRegional, kOther };

bool IsSection4Or5(const wxString& group) { return group == wxS("444") || group == wxS("555"); }

// Walks the groups after the header: section 1 cloud types, section 3 cloud groups. Section 2
// (222Dsvs, sea data) carries 8swTbTbTb wet-bulb groups, which are not cloud groups; sections 4
// (N'C'H'H'Ct, clouds below the station) and 5 (national groups) carry 8-groups of their own,
// which are neither cloud types nor section-3 cloud groups.
void DecodeGroups(wxString text, SynopRecord* record) {
  // One body group: five digits or slashes, or a three-digit section indicator (333, 444, 555).
  // The separators before a group are left out of the pattern: the search finds the same group
  // without them, and with them it would read a long run of blanks again from each of its
  // characters.
  static thread_local const ReportPattern kGroup(wxS("(([0-9/]{5})|([0-9]{3}))"));
  SynopSection section = SynopSection::kMain;
  while (kGroup.Search(text)) {
    const wxString group = kGroup.GroupText(text, 1);
    text.erase(0, kGroup.End(1));

    if (group == wxS("333")) {
      section = SynopSection::kRegional;
    } else if (section != SynopSection::kRegional && group.length() == 5 && group.StartsWith(wxS("222"))) {
      section = SynopSection::kSea;
    } else if (IsSection4Or5(group)) {
      section = SynopSection::kOther;
    } else if (group.length() == 5 && group[0] == '8') {
      if (section == SynopSection::kMain) ReadCloudTypes(group, record);
      if (section == SynopSection::kRegional) record->CloudGroups.push_back(ReadCloudGroup(group));
    }
  }
}

bool HasBulletinMarker(const wxString& piece) {
  static thread_local const ReportPattern kMarker(kBulletinMarker);
  return kMarker.Search(piece);
}

}  // namespace

wxString SynopWorkingText(const SynopRecord& record) {
  if (record.Header.empty() || HasBulletinMarker(record.Raw)) return record.Raw;
  return record.Header + wxS(" ") + record.Raw;
}

wxString SynopHeaderAfter(const wxString& piece, const wxString& previous) {
  static thread_local const ReportPattern kMarker(kBulletinMarker);
  if (piece.length() > kMaxSynopPieceLength) return wxString();
  wxString rest = piece;
  wxString header = previous;
  while (kMarker.Search(rest)) {
    const wxString dayHour = kMarker.GroupText(rest, 2);
    header = dayHour.empty() ? wxString() : wxS("AAXX ") + dayHour;
    rest.erase(0, kMarker.End());
  }
  return header;
}

bool ClSynop::FindSynopStation(SynopRecord* record) const {
  if (record->Raw.length() < kMinSynopPieceLength || IsOverlong(*record)) return false;
  const wxString text = SynopWorkingText(*record);
  // Section 0 and the station: AAXX YYGGi IIiii.
  static thread_local const ReportPattern kIdentification(
      wxS("(AAXX)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})"));
  // A NIL report carries no observation; taking it would hide the next station's report.
  static thread_local const ReportPattern kNil(wxS("^[[:space:]]*NIL"));
  if (!kIdentification.Search(text)) return false;
  record->Station.Id = kIdentification.GroupText(text, 3);
  if (kNil.Search(text.Mid(kIdentification.End()))) return false;

  const std::size_t found = FindStation(record->Station.Id);
  if (found == StationIndex::npos) return false;
  record->Station = Stations[found];
  return true;
}

std::int32_t NearestSynop(float latitude, float longitude, const std::vector<SynopRecord>* synops) {
  std::int32_t result = -1;
  double best = kNearestSynopLimitKm;
  for (std::size_t i = 0; i < synops->size(); ++i) {
    const StationEntry& station = (*synops)[i].Station;
    const double km = DistanceKm(latitude, longitude, station.Latitude, station.Longitude);
    if (km <= best) {
      best = km;
      result = static_cast<std::int32_t>(i);
    }
  }
  return result;
}

bool DecodeSynop(SynopRecord* record) {
  record->LowCloudType = kSynopCloudTypeNotGiven;
  record->MiddleCloudType = kSynopCloudTypeNotGiven;
  record->HighCloudType = kSynopCloudTypeNotGiven;
  record->Visibility = kSynopNoVisibility;
  record->CloudGroups.clear();

  // The five header groups: AAXX YYGGi IIiii iRixhVV Nddff.
  static thread_local const ReportPattern kHeader(wxS(
      "(AAXX)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})[[:space:]]*([0-9/]{5})[[:space:]]*([0-9/]{5})"));
  if (IsOverlong(*record)) return false;
  const wxString text = SynopWorkingText(*record);
  if (!kHeader.Search(text)) return false;
  record->Station.Time = kHeader.GroupText(text, 2).Left(4);
  record->Visibility = VisibilityNm(kHeader.GroupText(text, 4).Mid(3, 2));
  DecodeGroups(text.Mid(kHeader.End()), record);
  return true;
}
