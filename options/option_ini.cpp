#include "options/option_ini.h"

#include <wx/debug.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/strconv.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "base/ascii.h"

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

// Empty text from non-empty bytes means the conversion failed.
bool DecodeWith(const wxMBConv& conv, const std::string& bytes, std::size_t skip, wxString* text) {
  if (bytes.size() == skip) {
    text->clear();
    return true;
  }
  *text = wxString(bytes.data() + skip, conv, bytes.size() - skip);
  return !text->empty();
}

// Hands the library's text file reader our own decoding, so that the file configuration sees
// exactly the text DecodeIniText gives.
class IniTextConv : public wxMBConv {
 public:
  size_t ToWChar(wchar_t* dst, size_t dstLen, const char* src, size_t srcLen = wxNO_LEN) const override {
    const bool withNul = srcLen == wxNO_LEN;
    if (withNul) srcLen = std::strlen(src);
    const wxString text = DecodeIniText(std::string(src, srcLen));
    const std::size_t needed = text.length() + (withNul ? 1 : 0);
    if (dst == nullptr) return needed;
    if (dstLen < needed) return wxCONV_FAILED;
    const wxWCharBuffer wide = text.wc_str();
    std::memcpy(dst, wide.data(), text.length() * sizeof(wchar_t));
    if (withNul) dst[text.length()] = L'\0';
    return needed;
  }
  size_t FromWChar(char* dst, size_t dstLen, const wchar_t* src, size_t srcLen = wxNO_LEN) const override {
    return wxConvUTF8.FromWChar(dst, dstLen, src, srcLen);
  }
  size_t GetMBNulLen() const override { return 1; }
  wxMBConv* Clone() const override { return new IniTextConv; }
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
std::unique_ptr<wxFileConfig> OpenIni(const wxString& path) {
  wxLogNull quiet;
  auto config =
      std::make_unique<wxFileConfig>(wxString(), wxString(), path, wxString(),
                                     wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_RELATIVE_PATH, IniTextConv());
  config->DisableAutoSave();  // SaveIni writes the file itself, through a temporary file
  config->SetExpandEnvVars(false);
  return config;
}

// An existing file that we cannot open for reading: loading gets nothing and saving must not
// replace it.
bool ExistsUnreadable(const wxString& path) {
  if (!wxFileExists(path)) return false;
  std::FILE* file = wxFopen(path, wxS("rb"));
  if (file == nullptr) return true;
  std::fclose(file);
  return false;
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

// The new file takes the old one's permissions, as an edit in place would have kept them.
void CopyPermissions(const wxString& from, const wxString& to) {
  wxStructStat info;
  if (wxStat(from, &info) == 0) wxChmod(to, info.st_mode & 07777);
}

bool WriteFileBytes(const wxString& path, const char* data, std::size_t size) {
  std::FILE* file = wxFopen(path, wxS("wb"));
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return written && flushed && closed;
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

wxString DecodeIniText(const std::string& bytes) {
  wxString text;
  // The four-byte marks first: the UTF-32LE mark begins with the UTF-16LE one.
  if (StartsWith(bytes, "\xFF\xFE\x00\x00", 4) && DecodeWith(wxMBConvUTF32LE(), bytes, 4, &text)) return text;
  if (StartsWith(bytes, "\x00\x00\xFE\xFF", 4) && DecodeWith(wxMBConvUTF32BE(), bytes, 4, &text)) return text;
  if (StartsWith(bytes, "\xFF\xFE", 2) && DecodeWith(wxMBConvUTF16LE(), bytes, 2, &text)) return text;
  if (StartsWith(bytes, "\xFE\xFF", 2) && DecodeWith(wxMBConvUTF16BE(), bytes, 2, &text)) return text;
  const std::size_t skip = StartsWith(bytes, "\xEF\xBB\xBF", 3) ? 3 : 0;
  if (DecodeWith(wxConvUTF8, bytes, skip, &text)) return text;
  DecodeWith(wxConvISO8859_1, bytes, skip, &text);
  return text;
}

bool LoadIni(OptionData* options, const wxString& path) {
  if (ExistsUnreadable(path)) return false;
  const QuietLibraryAsserts quiet;
  const auto config = OpenIni(path);
  for (const IniKey& key : kIniKeys) ReadKey(*config, key, options);
  return true;
}

bool SaveIni(const OptionData& options, const wxString& path) {
  if (ExistsUnreadable(path)) return false;
  const QuietLibraryAsserts quiet;
  const auto config = OpenIni(path);
  for (const IniKey& key : kIniKeys) {
    const wxString name = wxString::FromAscii(key.key);
    if (key.flag != nullptr) {
      config->Write(name, options.*key.flag);
    } else {
      config->Write(name, static_cast<long>(options.*key.number));
    }
  }
  wxMemoryOutputStream stream;
  if (!config->Save(stream, wxConvUTF8)) return false;
  std::string bytes(stream.GetSize(), '\0');
  stream.CopyTo(bytes.data(), bytes.size());

  // rename() replaces the old file in one step: there is always either the old or the new file.
  const wxString temporary = path + wxString::Format(wxS(".%lu.tmp"), wxGetProcessId());
  if (!WriteFileBytes(temporary, bytes.data(), bytes.size())) {
    wxRemove(temporary);
    return false;
  }
  CopyPermissions(path, temporary);
  if (std::rename(temporary.fn_str(), path.fn_str()) != 0) {
    wxRemove(temporary);
    return false;
  }
  return true;
}
