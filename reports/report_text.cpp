#include "reports/report_text.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <charconv>
#include <limits>
#include <string>

namespace {

constexpr std::int64_t kWholeNumberLimit = std::numeric_limits<std::int64_t>::max() / 10 - 10;

std::size_t SkipBlanks(const wxString& text, std::size_t i) {
  while (i < text.length() && IsAsciiSpace(text[i])) ++i;
  return i;
}

}  // namespace

std::int64_t ReadWholeNumber(const wxString& text) {
  std::size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.length() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < text.length() && IsAsciiDigit(text[i]); ++i) {
    if (value < kWholeNumberLimit) value = value * 10 + (text[i].GetValue() - '0');
  }
  return negative ? -value : value;
}

double ReadDecimalNumber(const wxString& text) {
  std::size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.length() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string digits;  // ASCII digits and at most one point, without the sign
  bool point = false;
  for (; i < text.length(); ++i) {
    const wxUniChar c = text[i];
    if (IsAsciiDigit(c)) {
      digits += static_cast<char>(c.GetValue());
    } else if (c == '.' && !point) {
      point = true;
      digits += '.';
    } else {
      break;
    }
  }
  if (digits.find_first_of("0123456789") == std::string::npos) return 0.0;
  if (digits.back() == '.') digits.pop_back();
  double value = 0.0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);  // locale-independent
  return negative ? -value : value;
}

void TrimLeading(wxString& text) {
  std::size_t i = SkipBlanks(text, 0);
  if (i > 0) text.erase(0, i);
}

std::vector<wxString> SplitLines(const wxString& text) {
  std::vector<wxString> lines;
  std::size_t start = 0;
  const std::size_t length = text.length();
  for (std::size_t i = 0; i <= length; ++i) {
    if (i == length || text[i] == '\r' || text[i] == '\n') {
      if (i > start) lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return lines;
}

wxString Latin1ToString(const char* bytes, std::size_t length) {
  std::wstring wide(length, L'\0');
  for (std::size_t i = 0; i < length; ++i)
    wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
  return wxString(wide);
}

wxString CatalogueTooLargeText(const wxString& path) {
  return wxString::Format(
      wxS("%s is larger than %llu MB (%llu bytes), the most a catalogue may hold: not read"),
      wxFileName(path).GetFullName(), static_cast<unsigned long long>(kMaxCatalogueBytes / (1024 * 1024)),
      static_cast<unsigned long long>(kMaxCatalogueBytes));
}

bool AppendCatalogueFile(const wxString& path, wxString& text, wxString* problem) {
  const auto tooLarge = [&] {
    if (problem != nullptr) *problem = CatalogueTooLargeText(path);
    return false;
  };
  wxStructStat info;
  if (wxStat(path, &info) == 0 && static_cast<std::uint64_t>(info.st_size) > kMaxCatalogueBytes)
    return tooLarge();
  wxFile file;
  if (!file.Open(path, wxFile::read)) return false;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0));
  char chunk[65536];
  for (;;) {
    const ssize_t got = file.Read(chunk, sizeof chunk);
    if (got < 0) return false;  // a folder of that name, a failing disk
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxCatalogueBytes) return tooLarge();
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  text += Latin1ToString(bytes.data(), bytes.size());
  return true;
}

bool AppendLatin1File(const wxString& path, wxString& text) {
  wxFile file;
  if (!file.Open(path, wxFile::read)) return false;
  char chunk[4096];
  for (;;) {
    const ssize_t got = file.Read(chunk, sizeof chunk);
    if (got < 0) return false;  // a folder of that name, a failing disk
    if (got == 0) break;
    text += Latin1ToString(chunk, static_cast<std::size_t>(got));
  }
  return true;
}
