#include "app/core/version_check.h"

#include <wx/tokenzr.h>

#include <algorithm>
#include <vector>

#include "base/ascii.h"

namespace {

wxString TrimBlanks(const wxString& text) {
  std::size_t begin = 0;
  std::size_t end = text.length();
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && IsAsciiSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool IsVersion(const wxString& text) {
  bool digitBefore = false;
  for (const wxUniChar c : text) {
    if (IsAsciiDigit(c)) {
      digitBefore = true;
    } else if (c == '.' && digitBefore) {
      digitBefore = false;
    } else {
      return false;
    }
  }
  return digitBefore;
}

// The numbers as digit strings without leading zeros, so that numbers of any length compare.
std::vector<wxString> Numbers(const wxString& version) {
  std::vector<wxString> numbers;
  wxStringTokenizer parts(version, wxS("."), wxTOKEN_RET_EMPTY_ALL);
  while (parts.HasMoreTokens()) {
    wxString number = parts.GetNextToken();
    while (number.length() > 1 && number[0] == '0') number.erase(0, 1);
    numbers.push_back(number);
  }
  return numbers;
}

int CompareNumber(const wxString& a, const wxString& b) {
  if (a.length() != b.length()) return a.length() < b.length() ? -1 : 1;
  return a.compare(b);
}

int CompareVersions(const wxString& a, const wxString& b) {
  std::vector<wxString> left = Numbers(a);
  std::vector<wxString> right = Numbers(b);
  const std::size_t count = std::max(left.size(), right.size());
  left.resize(count, wxS("0"));
  right.resize(count, wxS("0"));
  for (std::size_t i = 0; i < count; ++i) {
    const int order = CompareNumber(left[i], right[i]);
    if (order != 0) return order < 0 ? -1 : 1;
  }
  return 0;
}

}  // namespace

wxString AnnouncedVersion(const wxString& hostText) {
  if (hostText.length() > kLongestVersionAnswerBytes) return wxString();
  const wxString trimmed = TrimBlanks(hostText);
  return IsVersion(trimmed) ? trimmed : wxString();
}

VersionVerdict JudgeVersion(const wxString& localVersion, const wxString& hostText) {
  const wxString announced = AnnouncedVersion(hostText);
  if (announced.empty()) return VersionVerdict::kNotVersion;
  const wxString local = AnnouncedVersion(localVersion);
  if (local.empty()) return VersionVerdict::kNewer;
  return CompareVersions(local, announced) < 0 ? VersionVerdict::kNewer : VersionVerdict::kUpToDate;
}
