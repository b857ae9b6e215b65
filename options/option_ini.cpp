#include "options/option_ini.h"

#include <wx/debug.h>
#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/strconv.h>
#include <wx/utils.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "platform/file_rename.h"

namespace {

// One stored option: its key and the field it fills (exactly one of the two pointers is set).
struct IniKey {
  const char* key;
  std::int32_t OptionData::*number;
  bool OptionData::*flag;
};

// The order of reading and writing; a file written from scratch lists its groups and keys so.
const IniKey kIniKeys[] = {
    {"/General/Metar", &OptionData::Metar, nullptr},
    {"/General/Weatherupdate", &OptionData::Weatherupdate, nullptr},
    {"/General/DwlUpperair", nullptr, &OptionData::DwlUpperair},
    {"/General/DwlAddWeather", nullptr, &OptionData::DwlAddWeather},
    {"/General/DwlStartup", nullptr, &OptionData::DwlStartup},
    {"/General/FramePosX", &OptionData::FramePosX, nullptr},
    {"/General/FramePosY", &OptionData::FramePosY, nullptr},
    {"/General/FrameSizeX", &OptionData::FrameSizeX, nullptr},
    {"/General/FrameSizeY", &OptionData::FrameSizeY, nullptr},
    {"/General/CheckUpdateStartup", nullptr, &OptionData::CheckUpdateStartup},
    {"/Weather/wxRange", &OptionData::wxRange, nullptr},
    {"/Cloud/GenerateCirus", nullptr, &OptionData::GenerateCirus},
    {"/Cloud/Cloudmixed", nullptr, &OptionData::Cloudmixed},
    {"/Cloud/Cloudlayer", &OptionData::Cloudlayer, nullptr},
    {"/Wind/SurfaceWindGust", nullptr, &OptionData::SurfaceWindGust},
    {"/Wind/TurbulenceCloud", nullptr, &OptionData::TurbulenceCloud},
    {"/Wind/FSUIPCWindSmoothing", nullptr, &OptionData::FSUIPCWindSmoothing},
    {"/Wind/MaxWindShift", &OptionData::MaxWindShift, nullptr},
};

bool StartsWith(const std::string& bytes, const char* prefix, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

bool IsSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

std::uint32_t ReadUnit(const std::string& bytes, std::size_t at, std::size_t width, bool bigEndian) {
  std::uint32_t unit = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[at + (bigEndian ? i : width - 1 - i)]);
    unit = unit << 8 | byte;
  }
  return unit;
}

// UTF-16 after its mark. A lone surrogate and a last byte without its partner (a file cut one
// byte short) are left out, and the text is no longer whole.
IniText DecodeUtf16(const std::string& bytes, bool bigEndian) {
  IniText result;
  wxString text;
  std::size_t at = 2;
  for (; at + 2 <= bytes.size(); at += 2) {
    const std::uint32_t unit = ReadUnit(bytes, at, 2, bigEndian);
    if (!IsSurrogate(unit)) {
      text += wxUniChar(unit);
      continue;
    }
    const bool high = unit < 0xDC00;
    const std::uint32_t next = at + 4 <= bytes.size() ? ReadUnit(bytes, at + 2, 2, bigEndian) : 0;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      // One character, which is again a pair where wchar_t has 16 bits (Windows).
      text += wxUniChar(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
      at += 2;
    } else {
      result.whole = false;
    }
  }
  if (at != bytes.size()) result.whole = false;
  result.text = text;
  return result;
}

// UTF-32 after its mark, taken only when every unit is a character: the UTF-32LE mark begins
// with the UTF-16LE one, and a UTF-16 text read as UTF-32 yields no characters at all.
bool DecodeUtf32(const std::string& bytes, bool bigEndian, IniText* result) {
  if (bytes.size() % 4 != 0) return false;
  wxString text;
  for (std::size_t at = 4; at < bytes.size(); at += 4) {
    const std::uint32_t unit = ReadUnit(bytes, at, 4, bigEndian);
    if (unit > 0x10FFFF || IsSurrogate(unit)) return false;
    text += wxUniChar(unit);  // a pair of 16-bit units where wchar_t has 16 bits (Windows)
  }
  result->text = text;
  result->whole = true;
  return true;
}

// Without a mark: UTF-8 when the bytes are valid UTF-8, otherwise ISO 8859-1, where every byte
// is a character of its own.
wxString DecodeUtf8OrLatin1(const std::string& bytes, std::size_t skip) {
  if (bytes.size() == skip) return wxString();
  const wxString utf8(bytes.data() + skip, wxConvUTF8, bytes.size() - skip);
  if (!utf8.empty()) return utf8;
  std::wstring latin1;
  latin1.reserve(bytes.size() - skip);
  for (std::size_t i = skip; i < bytes.size(); ++i)
    latin1 += static_cast<wchar_t>(static_cast<std::uint8_t>(bytes[i]));
  return wxString(latin1);
}

// A NUL character is no part of an ini text; the file configuration would cut its line there
// and read a value that the file does not hold. Every line with one is emptied.
void EmptyLinesWithNul(IniText* decoded) {
  const wxString& text = decoded->text;
  if (text.find(wxUniChar(0)) == wxString::npos) return;
  decoded->whole = false;
  wxString kept;
  kept.reserve(text.length());
  std::size_t lineStart = 0;
  bool lineHasNul = false;
  for (std::size_t i = 0; i <= text.length(); ++i) {
    const bool atEnd = i == text.length();
    const wxUniChar c = atEnd ? wxUniChar('\n') : text[i];
    if (c == '\n' || c == '\r') {
      if (!lineHasNul) kept += text.substr(lineStart, i - lineStart);
      if (!atEnd) kept += c;
      lineStart = i + 1;
      lineHasNul = false;
    } else if (c == 0) {
      lineHasNul = true;
    }
  }
  decoded->text = kept;
}

wxString AsciiLower(wxString text) {
  for (auto c : text) {
    if (c >= 'A' && c <= 'Z') c = wxUniChar(c.GetValue() - 'A' + 'a');
  }
  return text;
}

bool IsBlank(wxUniChar c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// What one line of an ini text names as the library reads it: a group head "[path]", or a key
// "name = value" ("!name" too), both in lower case as the library compares them.
struct IniLine {
  bool group = false;
  bool key = false;
  wxString name;
};

IniLine ReadLine(const wxString& line) {
  IniLine read;
  std::size_t at = 0;
  while (at < line.length() && IsBlank(line[at])) ++at;
  if (at == line.length() || line[at] == ';' || line[at] == '#') return read;
  if (line[at] == '[') {
    const std::size_t close = line.find(']', at);
    if (close == wxString::npos) return read;
    wxString path = line.substr(at + 1, close - at - 1);
    while (path.StartsWith(wxS("/"))) path.erase(0, 1);
    read.group = true;
    read.name = AsciiLower(path);
    return read;
  }
  if (line[at] == '!') ++at;
  const std::size_t nameStart = at;
  while (at < line.length() && line[at] != '=' && !IsBlank(line[at])) ++at;
  const std::size_t nameEnd = at;
  while (at < line.length() && IsBlank(line[at])) ++at;
  if (nameEnd == nameStart || at == line.length() || line[at] != '=') return read;
  read.key = true;
  read.name = AsciiLower(line.substr(nameStart, nameEnd - nameStart));
  return read;
}

// The library ties one line to each key. A hand-edited file may give a stored key more lines (in
// a group named twice, or "!" lines, which the library passes over and then keeps): a save
// would change one of them and leave another that reads back instead of the saved value. So
// the text a save starts from keeps the first line of each stored key only; every other line
// stays as it is.
wxString WithOneLinePerKey(const wxString& text) {
  std::vector<wxString> stored;
  for (const IniKey& key : kIniKeys) stored.push_back(AsciiLower(wxString::FromAscii(key.key)));
  std::vector<bool> seen(stored.size(), false);
  wxString result;
  result.reserve(text.length());
  wxString group;
  for (std::size_t start = 0; start < text.length();) {
    std::size_t end = text.find_first_of(wxS("\r\n"), start);
    if (end == wxString::npos) end = text.length();
    const wxString line = text.substr(start, end - start);
    if (end < text.length())
      end += text[end] == '\r' && end + 1 < text.length() && text[end + 1] == '\n' ? 2 : 1;
    const IniLine read = ReadLine(line);
    if (read.group) group = read.name;
    bool keep = true;
    for (std::size_t k = 0; read.key && k < stored.size(); ++k) {
      if (stored[k] != wxS("/") + group + wxS("/") + read.name) continue;
      keep = !seen[k];
      seen[k] = true;
    }
    if (keep) result += text.substr(start, end - start);
    start = end;
  }
  return result;
}

// Hands the library's text file reader our own decoding, so that the file configuration sees
// exactly the text DecodeIniText gives. The verdict on the bytes goes to *whole (shared by the
// library's copies of the converter).
class IniTextConv : public wxMBConv {
 public:
  // forSave: the text a save starts from, with one line for each stored key.
  IniTextConv(bool* whole, bool forSave) : whole_(whole), forSave_(forSave) {}
  size_t ToWChar(wchar_t* dst, size_t dstLen, const char* src, size_t srcLen = wxNO_LEN) const override {
    const bool withNul = srcLen == wxNO_LEN;
    if (withNul) srcLen = std::strlen(src);
    const IniText decoded = DecodeIniText(std::string(src, srcLen));
    if (!decoded.whole) *whole_ = false;
    const std::wstring wide = (forSave_ ? WithOneLinePerKey(decoded.text) : decoded.text).ToStdWstring();
    const std::size_t needed = wide.size() + (withNul ? 1 : 0);
    if (dst == nullptr) return needed;
    if (dstLen < needed) return wxCONV_FAILED;
    std::copy(wide.begin(), wide.end(), dst);
    if (withNul) dst[wide.size()] = L'\0';
    return needed;
  }
  size_t FromWChar(char* dst, size_t dstLen, const wchar_t* src, size_t srcLen = wxNO_LEN) const override {
    return wxConvUTF8.FromWChar(dst, dstLen, src, srcLen);
  }
  size_t GetMBNulLen() const override { return 1; }
  wxMBConv* Clone() const override { return new IniTextConv(whole_, forSave_); }

 private:
  bool* whole_;
  bool forSave_;
};

// The file configuration asserts on a group that a hand-edited file names twice and on a key
// line without a name; a GUI build shows each assert as a dialog. Such a file still reads and
// saves soundly, so asserts are passed over while the library holds the file.
class QuietLibraryAsserts {
 public:
  QuietLibraryAsserts() : previous_(wxSetAssertHandler(&Ignore)) {}
  ~QuietLibraryAsserts() { wxSetAssertHandler(previous_); }
  QuietLibraryAsserts(const QuietLibraryAsserts&) = delete;
  QuietLibraryAsserts& operator=(const QuietLibraryAsserts&) = delete;

 private:
  static void Ignore(const wxString&, int, const wxString&, const wxString&, const wxString&) {}
  wxAssertHandler_t previous_;
};

// The file configuration over the file at path (read when it exists), relative to the working
// directory. Its own error messages are kept quiet: an unreadable file is our caller's to judge.
// *whole tells whether the file's bytes were clean text through and through; forSave: the text
// a save starts from (one line for each stored key).
std::unique_ptr<wxFileConfig> OpenIni(const wxString& path, bool* whole, bool forSave) {
  wxLogNull quiet;
  *whole = true;
  auto config = std::make_unique<wxFileConfig>(wxString(), wxString(), path, wxString(),
                                               wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_RELATIVE_PATH,
                                               IniTextConv(whole, forSave));
  config->DisableAutoSave();  // SaveIni writes the file itself, through a temporary file
  config->SetExpandEnvVars(false);
  return config;
}

// An existing file that we cannot open for reading, or that is larger than any ini of ours:
// loading gets nothing and saving must not replace it. *reason: why it is not used.
bool ExistsUnreadable(const wxString& path, wxString* reason = nullptr) {
  if (!wxFileExists(path)) return false;
  if (wxFileName::GetSize(path).GetValue() > kLargestIniBytes) {
    if (reason != nullptr) *reason = wxString::Format(wxS("the file is larger than %d KB"), int(kLargestIniBytes / 1024));
    return true;
  }
  std::FILE* file = wxFopen(path, wxS("rb"));
  if (file == nullptr) {
    if (reason != nullptr) *reason = wxString(std::strerror(errno));
    return true;
  }
  std::fclose(file);
  return false;
}

// A file that nobody may write (no write permission at all, Windows' read-only attribute) is kept
// as it is, also for a user whose rights would let the rename replace it.
bool IsReadOnly(const wxString& path) {
  wxStructStat info;
  if (!wxFileExists(path) || wxStat(path, &info) != 0) return false;
  return (info.st_mode & (wxPOSIX_USER_WRITE | wxPOSIX_GROUP_WRITE | wxPOSIX_OTHERS_WRITE)) == 0 ||
         !wxFileName::IsFileWritable(path);
}

void ReadKey(const wxFileConfig& config, const IniKey& key, OptionData* options) {
  wxString text;
  if (!config.Read(wxString::FromAscii(key.key), &text)) return;
  std::int32_t value = 0;
  if (!ParseIniNumber(text, &value)) return;
  if (key.flag != nullptr) {
    options->*key.flag = value != 0;
    return;
  }
  // An interval of no minutes would start a download on every tick.
  if (key.number == &OptionData::Weatherupdate && value <= 0) return;
  options->*key.number = value;
}

// A stored value as the file holds it.
std::string ValueText(const IniKey& key, const OptionData& options) {
  if (key.flag != nullptr) return options.*key.flag ? "1" : "0";
  return std::to_string(options.*key.number);
}

// The library keeps a key written "!name" in the file read-only and passes over a write to it
// (with a warning the program would show as a box): such a line gives way to ours, so the file
// holds what was saved.
void WriteKey(wxFileConfig& config, const IniKey& key, const OptionData& options) {
  const wxString name = wxString::FromAscii(key.key);
  const wxString value = wxString::FromAscii(ValueText(key, options).c_str());
  wxLogNull quiet;
  config.Write(name, value);
  wxString stored;
  if (config.Read(name, &stored) && stored == value) return;
  config.DeleteEntry(name, false);
  config.Write(name, value);
}

// The new file takes the old one's permissions, as an edit in place would have kept them.
void CopyPermissions(const wxString& from, const wxString& to) {
  wxStructStat info;
  if (wxStat(from, &info) == 0) wxChmod(to, info.st_mode & 07777);
}

// The library would report a failed removal in a box of its own.
void RemoveQuietly(const wxString& path) {
  wxLogNull quiet;
  wxRemoveFile(path);
}

// The temporary file is made afresh: one of that name (left by a run that died, or a link someone
// put there) is removed first, never written through.
bool WriteNewFile(const wxString& path, const std::string& bytes, wxString* reason) {
  wxLogNull quiet;  // the reason goes into our own log line, not into the library's box
  RemoveQuietly(path);
  wxFile file;
  if (!file.Create(path, false, wxS_DEFAULT) || !file.Write(bytes.data(), bytes.size()) || !file.Flush() ||
      !file.Close()) {
    *reason = wxString(std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

bool ParseIniNumber(const wxString& text, std::int32_t* value) {
  std::size_t begin = 0;
  std::size_t end = text.length();
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && IsAsciiSpace(text[end - 1])) --end;
  bool negative = false;
  if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
    negative = text[begin] == '-';
    ++begin;
  }
  if (begin == end) return false;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (std::size_t i = begin; i < end; ++i) {
    const auto c = text[i].GetValue();
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) return false;
  }
  const std::int64_t number = negative ? -magnitude : magnitude;
  if (number > std::numeric_limits<std::int32_t>::max()) return false;
  *value = static_cast<std::int32_t>(number);
  return true;
}

IniText DecodeIniText(const std::string& bytes) {
  IniText decoded;
  if (StartsWith(bytes, "\xFF\xFE\x00\x00", 4) && DecodeUtf32(bytes, false, &decoded)) {
  } else if (StartsWith(bytes, "\x00\x00\xFE\xFF", 4) && DecodeUtf32(bytes, true, &decoded)) {
  } else if (StartsWith(bytes, "\xFF\xFE", 2)) {
    decoded = DecodeUtf16(bytes, false);
  } else if (StartsWith(bytes, "\xFE\xFF", 2)) {
    decoded = DecodeUtf16(bytes, true);
  } else {
    decoded.text = DecodeUtf8OrLatin1(bytes, StartsWith(bytes, "\xEF\xBB\xBF", 3) ? 3 : 0);
  }
  EmptyLinesWithNul(&decoded);
  return decoded;
}

wxString IniSaveFailureText(const wxString& reason) {
  return wxS("Can't save ") + kIniFileName + wxS(": ") + reason;
}

bool LoadIni(OptionData* options, const wxString& path) {
  if (ExistsUnreadable(path)) return false;
  const QuietLibraryAsserts quiet;
  bool whole = true;
  const auto config = OpenIni(path, &whole, false);
  for (const IniKey& key : kIniKeys) ReadKey(*config, key, options);
  return whole;
}

bool SaveIni(const OptionData& options, const wxString& path, wxString* reason) {
  wxString ignored;
  wxString& why = reason != nullptr ? *reason : ignored;
  // A linked file is saved where it lies: the link stays, and the temporary file and the rename
  // are made beside the file it names.
  const wxString target = platform::LinkTarget(path);
  if (ExistsUnreadable(target, &why)) return false;
  if (IsReadOnly(target)) {
    why = wxS("the file is read-only");
    return false;
  }
  const QuietLibraryAsserts quiet;
  // A file that could be read only in part is saved with what could be read: the options would
  // otherwise never be stored again.
  bool whole = true;
  const auto config = OpenIni(target, &whole, true);
  for (const IniKey& key : kIniKeys) WriteKey(*config, key, options);
  wxMemoryOutputStream stream;
  if (!config->Save(stream, wxConvUTF8)) {
    why = wxS("the new text could not be made");
    return false;
  }
  std::string bytes(stream.GetSize(), '\0');
  stream.CopyTo(bytes.data(), bytes.size());

  // The rename replaces the old file in one step: there is always either the old or the new file.
  const wxString temporary = target + wxString::Format(wxS(".%lu.tmp"), wxGetProcessId());
  if (!WriteNewFile(temporary, bytes, &why)) {
    RemoveQuietly(temporary);
    return false;
  }
  CopyPermissions(target, temporary);
  if (!platform::RenameReplacing(temporary, target)) {
    why = wxSysErrorMsgStr();
    RemoveQuietly(temporary);
    return false;
  }
  return true;
}
