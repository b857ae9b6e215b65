#include "input_lines.h"

void AssignLatin1(wxString& text, const char* bytes, std::size_t length) {
  // One buffer for every line: widening into it costs no allocation, only the copy into text does.
  static thread_local std::wstring wide;
  wide.resize(length);
  for (std::size_t i = 0; i < length; ++i)
    wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
  text.assign(wide.data(), length);
}
