#include "reports/temp_groups.h"

#include <cmath>

#include "reports/upperair_records.h"

namespace {

constexpr std::size_t kGroupLength = 5;
constexpr int kSpeedHundredsPerDirectionStep = 5;  // 5-degree steps leave the last digit's rest free
constexpr int kKnotsPerHundred = 100;

bool IsSeparator(wxUniChar c) {
  const auto v = c.GetValue();
  return v == ' ' || v == '\t' || v == '\n' || v == '\r' || v == '\v' || v == '\f' || v == '|';
}

bool IsGroupChar(wxUniChar c) { return (c.GetValue() >= '0' && c.GetValue() <= '9') || c == '/'; }

}  // namespace

bool TempGroupReader::Find(std::size_t* start) const {
  std::size_t i = pos_;
  while (i < text_.length() && IsSeparator(text_[i])) ++i;
  std::size_t end = i;
  while (end < text_.length() && !IsSeparator(text_[end])) ++end;
  if (end - i != kGroupLength) return false;
  for (std::size_t k = i; k < end; ++k) {
    if (!IsGroupChar(text_[k])) return false;
  }
  *start = i;
  return true;
}

bool TempGroupReader::Next(wxString* group) {
  std::size_t start = 0;
  if (!Find(&start)) return false;
  *group = text_.Mid(start, kGroupLength);
  pos_ = start + kGroupLength;
  return true;
}

bool TempGroupReader::Peek(wxString* group) const {
  std::size_t start = 0;
  if (!Find(&start)) return false;
  *group = text_.Mid(start, kGroupLength);
  return true;
}

bool AllDigits(const wxString& group, std::size_t from, std::size_t count) {
  if (from + count > group.length()) return false;
  for (std::size_t i = from; i < from + count; ++i) {
    if (group[i].GetValue() < '0' || group[i].GetValue() > '9') return false;
  }
  return true;
}

int GroupNumber(const wxString& group, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count && i < group.length(); ++i) {
    value = value * 10 + static_cast<int>(group[i].GetValue() - '0');
  }
  return value;
}

void ReadTemperatureGroup(const wxString& group, float* temperature, float* dewPoint) {
  *temperature = kMissingTemperatureC;
  *dewPoint = kMissingTemperatureC;
  if (!AllDigits(group, 0, 3)) return;
  const int tenths = GroupNumber(group, 0, 3);
  *temperature = static_cast<float>(tenths) / 10.0f;
  if (tenths % 2 != 0) *temperature = -*temperature;
  if (!AllDigits(group, 3, 2)) return;
  const int dd = GroupNumber(group, 3, 2);
  // 00-50 tenths of a degree, 56-99 whole degrees plus 50.
  const float depression = dd <= 50 ? static_cast<float>(dd) / 10.0f : static_cast<float>(dd - 50);
  *dewPoint = *temperature - depression;
}

void ReadWindGroup(const wxString& group, double knotsPerUnit, std::uint16_t* direction,
                   std::uint16_t* speed) {
  *direction = kMissingWind;
  *speed = kMissingWind;
  if (!AllDigits(group, 0, 5)) return;
  const int ddd = GroupNumber(group, 0, 3);
  const int hundreds = ddd % kSpeedHundredsPerDirectionStep;
  const int degrees = ddd - hundreds;
  if (degrees > kMaxValidDirectionDeg) return;
  const int units = GroupNumber(group, 3, 2) + kKnotsPerHundred * hundreds;
  const double knots = std::trunc(units * knotsPerUnit);
  *direction = static_cast<std::uint16_t>(degrees);
  *speed = static_cast<std::uint16_t>(knots);  // at most 499 units, well inside 16 bits
}
