#pragma once

#include <wx/string.h>

// Character tests on the ASCII range only: bytes 0x85 and 0xA0 of a Latin-1 feed, or a digit of
// another script, are report characters, not blanks or digits.

inline bool IsAsciiDigit(wxUniChar c) { return c.GetValue() >= '0' && c.GetValue() <= '9'; }

inline bool IsAsciiUpper(wxUniChar c) { return c.GetValue() >= 'A' && c.GetValue() <= 'Z'; }

inline bool IsAsciiSpace(wxUniChar c) {
  const auto v = c.GetValue();
  return v == ' ' || v == '\t' || v == '\n' || v == '\r' || v == '\v' || v == '\f';
}
