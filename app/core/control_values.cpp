#include "app/core/control_values.h"

#include <algorithm>
#include <cstdint>

#include "base/ascii.h"

int SpinTextValue(const wxString& text, int low, int high) {
  std::size_t at = 0;
  while (at < text.length() && IsAsciiSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.length() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at == text.length() || !IsAsciiDigit(text[at])) return low;
  // Digits beyond any range only push the number further out of it.
  constexpr std::int64_t kFarOut = std::int64_t{1} << 40;
  std::int64_t magnitude = 0;
  for (; at < text.length() && IsAsciiDigit(text[at]); ++at) {
    magnitude = std::min(magnitude * 10 + (text[at].GetValue() - '0'), kFarOut);
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}
