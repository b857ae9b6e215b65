#pragma once

#include <wx/string.h>

#include <cstddef>
#include <string>

// The input's lines that are not blank, as byte ranges: a line ends at a carriage return or a
// line feed, and a line of ASCII blanks only (or none at all) is passed over.
template <typename Visit>
void ForEachFilledLine(const std::string& bytes, Visit visit) {
  const char* const data = bytes.data();
  const std::size_t size = bytes.size();
  std::size_t start = 0;
  bool filled = false;
  for (std::size_t i = 0; i <= size; ++i) {
    const char c = i < size ? data[i] : '\n';
    if (c == '\n' || c == '\r') {
      if (filled) visit(data + start, i - start);
      start = i + 1;
      filled = false;
    } else if (c != ' ' && c != '\t' && c != '\v' && c != '\f') {
      filled = true;
    }
  }
}

// text becomes the bytes, each the character of the same code (ISO 8859-1).
void AssignLatin1(wxString& text, const char* bytes, std::size_t length);
