#include "options/option_ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <wx/debug.h>
#include <wx/utils.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/test_paths.h"

namespace {

using testsupport::ReadBytes;
using testsupport::ScopedWorkDir;
using testsupport::WriteBytes;

// The library writes the platform's own line ends: CR LF on Windows.
std::string Saved(std::string lines) {
#ifdef _WIN32
  for (std::size_t at = 0; (at = lines.find('\n', at)) != std::string::npos; at += 2)
    lines.insert(at, 1, '\r');
#endif
  return lines;
}

const char kIni[] = "Nubivane.ini";

// Every stored field, so one comparison shows which differ.
std::string Describe(const OptionData& o) {
  return std::to_string(o.FramePosX) + " " + std::to_string(o.FramePosY) + " " +
         std::to_string(o.FrameSizeX) + " " + std::to_string(o.FrameSizeY) + " upd" +
         std::to_string(o.CheckUpdateStartup) + " metar" + std::to_string(o.Metar) + " every" +
         std::to_string(o.Weatherupdate) + " ua" + std::to_string(o.DwlUpperair) + " syn" +
         std::to_string(o.DwlAddWeather) + " start" + std::to_string(o.DwlStartup) + " range" +
         std::to_string(o.wxRange) + " ci" + std::to_string(o.GenerateCirus) + " mix" +
         std::to_string(o.Cloudmixed) + " layers" + std::to_string(o.Cloudlayer) + " gust" +
         std::to_string(o.SurfaceWindGust) + " turb" + std::to_string(o.TurbulenceCloud) + " smooth" +
         std::to_string(o.FSUIPCWindSmoothing) + " shift" + std::to_string(o.MaxWindShift);
}

TEST(IniNumber, ReadsWholeDecimalsInThe32BitRangeOnly) {
  struct Case {
    const char* text;
    bool valid;
    std::int32_t value;
  };
  const Case cases[] = {
      {"3", true, 3},
      {"  42 ", true, 42},
      {"\t7\t", true, 7},
      {"+7", true, 7},
      {"-12", true, -12},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"5000000000", false, 0},
      {"99999999999999999999999", false, 0},
      {"12abc", false, 0},
      {"0x10", false, 0},
      {"1 2", false, 0},
      {"1.5", false, 0},
      {"word", false, 0},
      {"", false, 0},
      {"   ", false, 0},
      {"-", false, 0},
      {"+", false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t value = -77;
    EXPECT_EQ(ParseIniNumber(wxString::FromUTF8(c.text), &value), c.valid) << '"' << c.text << '"';
    EXPECT_EQ(value, c.valid ? c.value : -77) << '"' << c.text << '"';
  }
}

TEST(IniLoad, WithoutFileEveryFieldKeepsItsDefault) {
  ScopedWorkDir dir;
  OptionData options;
  EXPECT_TRUE(LoadIni(&options));
  EXPECT_EQ(Describe(options),
            "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
            "shift90");
  EXPECT_FALSE(options.AlignUpperWinds);
}

TEST(IniLoad, KeysSetTheirFieldsAndBadValuesLeaveThem) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const char* const defaults =
      "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
      "shift90";
  const Case cases[] = {
      {"[General]\nMetar=3\n",
       "10 10 630 360 upd0 metar3 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      {"[General]\nWeatherupdate=5\n",
       "10 10 630 360 upd0 metar1 every5 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      // No interval would download on every tick.
      {"[General]\nWeatherupdate=0\n", defaults},
      {"[General]\nWeatherupdate=-4\n", defaults},
      {"[General]\nDwlUpperair=2\nDwlAddWeather=-1\n",
       "10 10 630 360 upd0 metar1 every20 ua1 syn1 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      {"[Cloud]\nGenerateCirus=0\nCloudlayer=16\n",
       "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci0 mix0 layers16 gust0 turb0 smooth0 "
       "shift90"},
      {"[General]\nMetar=word\nFramePosX=12abc\nFramePosY=0x10\nFrameSizeX=5000000000\nFrameSizeY=\n",
       defaults},
      {"[weather]\nWXRANGE=500\n",
       "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range500 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      {"[Wind]\nMaxWindShift =  45  \nSurfaceWindGust=1\nTurbulenceCloud=1\nFSUIPCWindSmoothing=1\n",
       "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust1 turb1 smooth1 "
       "shift45"},
      {"[General]\nFramePosX=-1200\nCheckUpdateStartup=1\nDwlStartup=1\n",
       "-1200 10 630 360 upd1 metar1 every20 ua0 syn0 start1 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      // A key outside its group is another key.
      {"Metar=3\n[Wind]\nMetar=3\n", defaults},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    WriteBytes(kIni, c.text);
    OptionData options;
    EXPECT_TRUE(LoadIni(&options));
    EXPECT_EQ(Describe(options), c.expected) << c.text;
  }
}

TEST(IniLoad, HonoursByteOrderMarksAndReadsLatin1) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::string text = "[General]\r\nMetar=3\r\n";
  std::string utf16le = "\xFF\xFE";
  std::string utf16be = "\xFE\xFF";
  for (char c : text) {
    utf16le += c, utf16le += '\0';
    utf16be += '\0', utf16be += c;
  }
  const Case cases[] = {
      {"UTF-8 with mark", "\xEF\xBB\xBF" + text}, {"UTF-16LE", utf16le}, {"UTF-16BE", utf16be},
      {"Latin-1 comment", "; K\xF6ln\n" + text},  {"plain", text},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    WriteBytes(kIni, c.bytes);
    OptionData options;
    EXPECT_TRUE(LoadIni(&options));
    EXPECT_EQ(options.Metar, 3) << c.name;
  }
}

TEST(IniText, DecodesEveryByteSequence) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::string bytes;
    wxString text;
    bool whole;
  };
  const Case cases[] = {
      {"UTF-8 with mark",
       "\xEF\xBB\xBF"
       "a\xC3\xA9"s,
       wxString(L"a\u00E9"), true},
      {"UTF-8", "a\xC3\xA9"s, wxString(L"a\u00E9"), true},
      {"Latin-1", "a\xE9"s, wxString(L"a\u00E9"), true},
      {"UTF-16LE",
       "\xFF\xFE"
       "a\0\xE9\0"s,
       wxString(L"a\u00E9"), true},
      {"UTF-16BE pair",
       "\xFE\xFF"
       "\xD8\x3D\xDE\x00"s,
       wxString(L"\U0001F600"), true},
      {"UTF-32LE",
       "\xFF\xFE\0\0"
       "a\0\0\0"s,
       wxString(L"a"), true},
      {"UTF-32BE",
       "\0\0\xFE\xFF"
       "\0\0\0a"s,
       wxString(L"a"), true},
      {"empty", ""s, wxString(), true},
      // What is no clean text is left out, and the verdict says so.
      {"UTF-16 cut one byte short",
       "\xFF\xFE"
       "a\0b"s,
       wxString(L"a"), false},
      {"UTF-16 lone surrogate",
       "\xFF\xFE"
       "a\0\x00\xD8"
       "b\0"s,
       wxString(L"ab"), false},
      {"NUL inside a line", "[General]\nMetar=2\0X\nWeatherupdate=30\n"s,
       wxString(L"[General]\n\nWeatherupdate=30\n"), false},
      {"NUL in a CR LF file", "a\r\n\0\r\nb"s, wxString(L"a\r\n\r\nb"), false},
      {"two bytes 00 02", "\x00\x02"s, wxString(), false},
  };
  for (const Case& c : cases) {
    const IniText decoded = DecodeIniText(c.bytes);
    EXPECT_EQ(decoded.text, c.text) << c.name;
    EXPECT_EQ(decoded.whole, c.whole) << c.name;
  }
}

// Files that are no clean text: what can be read is loaded, the defaults stay for the rest, and
// a save stores the options with what could be read, so that the file is whole again.
TEST(IniFile, BrokenFileLoadsWhatItCanAndIsSavedWithIt) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::string bytes;
    const char* expected;
  };
  std::string utf16Cut = "\xFF\xFE";
  for (char c : "[General]\r\nMetar=3\r\nWeatherupdate=30\r\n"s) utf16Cut += c, utf16Cut += '\0';
  utf16Cut.pop_back();  // the terminating NUL's high byte
  utf16Cut.pop_back();  // and its low byte
  utf16Cut.pop_back();  // the last line feed's high byte: the file is one byte short
  const Case cases[] = {
      {"UTF-16 cut one byte short", utf16Cut,
       "10 10 630 360 upd0 metar3 every30 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      {"NUL byte in a value", "[General]\nMetar=2\0X\n"s,
       "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      {"NUL byte and clean keys", "[General]\nMetar=2\0X\nWeatherupdate=30\n[Weather]\nwxRange=900\n"s,
       "10 10 630 360 upd0 metar1 every30 ua0 syn0 start0 range900 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      {"two bytes 00 02", "\x00\x02"s,
       "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
      // The fuzzer's smallest input that read past the buffer.
      {"two NUL bytes", "\x00\x00"s,
       "10 10 630 360 upd0 metar1 every20 ua0 syn0 start0 range300 ci1 mix0 layers3 gust0 turb0 smooth0 "
       "shift90"},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    WriteBytes(kIni, c.bytes);
    OptionData options;
    EXPECT_FALSE(LoadIni(&options)) << c.name;
    EXPECT_EQ(Describe(options), c.expected) << c.name;
    options.Metar = 3;
    EXPECT_TRUE(SaveIni(options)) << c.name;
    OptionData again;
    EXPECT_TRUE(LoadIni(&again)) << c.name;
    EXPECT_EQ(Describe(again), Describe(options)) << c.name;
  }
}

// A file larger than any ini of ours is somebody else's: neither read nor saved over, so that it
// holds neither the start nor a save. One of the largest size still is an ini.
TEST(IniFile, AFileLargerThanAnyIniOfOursIsNeitherReadNorSavedOver) {
  for (const std::uint64_t size : {kLargestIniBytes, kLargestIniBytes + 1, std::uint64_t{16} << 20}) {
    SCOPED_TRACE(size);
    ScopedWorkDir dir;
    std::string bytes = "[General]\nMetar=3\n[Notes]\n";
    while (bytes.size() < size) bytes += "note=" + std::string(60, 'n') + "\n";
    bytes.resize(size - 1);
    bytes += "\n";
    WriteBytes(kIni, bytes);
    const bool ours = size <= kLargestIniBytes;
    OptionData options;
    EXPECT_EQ(LoadIni(&options), ours);
    EXPECT_EQ(options.Metar, ours ? 3 : 1);
    options.Metar = 2;
    EXPECT_EQ(SaveIni(options), ours);
    EXPECT_EQ(ReadBytes(kIni) == bytes, !ours);
  }
}

TEST(IniSave, NewFileHoldsAllKeysInWriteOrderAsUtf8WithoutMark) {
  ScopedWorkDir dir;
  OptionData options;
  options.Cloudmixed = true;
  options.wxRange = 1200;
  EXPECT_TRUE(SaveIni(options));
  EXPECT_EQ(
      ReadBytes(kIni),
      Saved(
          "[General]\nMetar=1\nWeatherupdate=20\nDwlUpperair=0\nDwlAddWeather=0\nDwlStartup=0\nFramePosX=10\n"
          "FramePosY=10\nFrameSizeX=630\nFrameSizeY=360\nCheckUpdateStartup=0\n[Weather]\nwxRange=1200\n"
          "[Cloud]\nGenerateCirus=1\nCloudmixed=1\nCloudlayer=3\n[Wind]\nSurfaceWindGust=0\nTurbulenceCloud="
          "0\n"
          "FSUIPCWindSmoothing=0\nMaxWindShift=90\n"));
}

TEST(IniSave, RoundTripsEveryStoredField) {
  ScopedWorkDir dir;
  OptionData saved;
  saved.FramePosX = -5;
  saved.FramePosY = 2000;
  saved.FrameSizeX = 800;
  saved.FrameSizeY = 600;
  saved.CheckUpdateStartup = true;
  saved.Metar = 2;
  saved.Weatherupdate = 100;
  saved.DwlUpperair = true;
  saved.DwlAddWeather = true;
  saved.DwlStartup = true;
  saved.wxRange = 3000;
  saved.GenerateCirus = false;
  saved.Cloudmixed = true;
  saved.Cloudlayer = 16;
  saved.SurfaceWindGust = true;
  saved.TurbulenceCloud = true;
  saved.FSUIPCWindSmoothing = true;
  saved.MaxWindShift = 10;
  saved.AlignUpperWinds = true;
  ASSERT_TRUE(SaveIni(saved));
  OptionData loaded;
  EXPECT_TRUE(LoadIni(&loaded));
  EXPECT_EQ(Describe(loaded), Describe(saved));
  EXPECT_FALSE(loaded.AlignUpperWinds);  // never stored
}

TEST(IniSave, KeepsTheFilesOtherLinesAndKeyPlaces) {
  ScopedWorkDir dir;
  WriteBytes(kIni, "; K\xF6ln\n[Wind]\nMaxWindShift=120\nOwnKey=abc\n[weather]\nWXRANGE=500\n");
  OptionData options;
  ASSERT_TRUE(LoadIni(&options));
  options.wxRange = 700;
  ASSERT_TRUE(SaveIni(options));
  const std::string saved = ReadBytes(kIni);
  // The Latin-1 comment survives, now in UTF-8; keys found keep their place and their spelling.
  EXPECT_EQ(saved.rfind(Saved("; K\xC3\xB6ln\n[Wind]\nMaxWindShift=120\nOwnKey=abc\nSurfaceWindGust=0\n"), 0),
            0u)
      << saved;
  EXPECT_NE(saved.find(Saved("[weather]\nWXRANGE=700\n")), std::string::npos) << saved;
  EXPECT_NE(saved.find(Saved("[General]\nMetar=1\n")), std::string::npos) << saved;
  EXPECT_EQ(saved.find("\xEF\xBB\xBF"), std::string::npos);
}

// The library keeps a key written "!name" read-only and passes over a write to it; such a line
// is read like any key and gives way to the saved value. The first case is the fuzzer's input.
TEST(IniSave, KeyMarkedReadOnlyByTheLibraryTakesTheSavedValue) {
  struct Case {
    const char* name;
    const char* text;
    std::int32_t loaded;
  };
  const Case cases[] = {
      {"empty, CR line end", "[weather]\r!WXRANGE=", 300},
      {"with a value", "[Weather]\n!wxRange=500\nOwnKey=1\n", 500},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    WriteBytes(kIni, c.text);
    OptionData options;
    ASSERT_TRUE(LoadIni(&options)) << c.name;
    EXPECT_EQ(options.wxRange, c.loaded) << c.name;
    options.wxRange = 1234;
    ASSERT_TRUE(SaveIni(options)) << c.name;
    OptionData again;
    ASSERT_TRUE(LoadIni(&again)) << c.name;
    EXPECT_EQ(again.wxRange, 1234) << c.name << ": " << ReadBytes(kIni);
  }
}

// The stored keys as a hand-edited file may spell them, each with the field it fills.
struct StoredKey {
  const char* group;
  const char* name;
  std::int32_t OptionData::*number;
  bool OptionData::*flag;
};
const StoredKey kStoredKeys[] = {
    {"General", "Metar", &OptionData::Metar, nullptr},
    {"General", "Weatherupdate", &OptionData::Weatherupdate, nullptr},
    {"General", "DwlUpperair", nullptr, &OptionData::DwlUpperair},
    {"General", "DwlAddWeather", nullptr, &OptionData::DwlAddWeather},
    {"General", "DwlStartup", nullptr, &OptionData::DwlStartup},
    {"General", "FramePosX", &OptionData::FramePosX, nullptr},
    {"General", "FramePosY", &OptionData::FramePosY, nullptr},
    {"General", "FrameSizeX", &OptionData::FrameSizeX, nullptr},
    {"General", "FrameSizeY", &OptionData::FrameSizeY, nullptr},
    {"General", "CheckUpdateStartup", nullptr, &OptionData::CheckUpdateStartup},
    {"Weather", "wxRange", &OptionData::wxRange, nullptr},
    {"Cloud", "GenerateCirus", nullptr, &OptionData::GenerateCirus},
    {"Cloud", "Cloudmixed", nullptr, &OptionData::Cloudmixed},
    {"Cloud", "Cloudlayer", &OptionData::Cloudlayer, nullptr},
    {"Wind", "SurfaceWindGust", nullptr, &OptionData::SurfaceWindGust},
    {"Wind", "TurbulenceCloud", nullptr, &OptionData::TurbulenceCloud},
    {"Wind", "FSUIPCWindSmoothing", nullptr, &OptionData::FSUIPCWindSmoothing},
    {"Wind", "MaxWindShift", &OptionData::MaxWindShift, nullptr},
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The lines of a file that give a value to group/name (any case, "!" or not), as the library
// reads them: blanks around, "[group]" heads, "name = value".
std::vector<std::string> LinesOfKey(const std::string& bytes, const char* group, const char* name) {
  std::vector<std::string> found;
  std::string current;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    line.erase(0, line.find_first_not_of(" \t"));
    if (!line.empty() && line[0] == '[') {
      current = Lower(line.substr(1, line.find(']') - 1));
      continue;
    }
    std::string key = line.substr(0, line.find('='));
    if (key == line) continue;
    key.erase(key.find_last_not_of(" \t") + 1);
    if (!key.empty() && key[0] == '!') key.erase(0, 1);
    if (current == Lower(group) && Lower(key) == Lower(name)) found.push_back(line);
  }
  return found;
}

// One key given a value by several lines: the save leaves exactly one, holding the saved value,
// whatever the others were and wherever they stand; the file's other lines stay. Every stored
// key, plain and "!" lines, a group named twice, another spelling.
TEST(IniSave, AKeyOfSeveralLinesKeepsOneWithTheSavedValue) {
  const struct {
    const char* name;
    const char* lines;  // %G: the key's group, %K: its name, %U: its name in capitals
  } shapes[] = {
      {"two lines", "[%G]\n%K=5\n%K=6\nOwnKey=x\n"},
      {"two \"!\" lines", "[%G]\n!%K=5\n!%K=6\nOwnKey=x\n"},  // the fuzzer's finding for wxRange
      {"plain then \"!\"", "[%G]\n%K=5\nOwnKey=x\n!%K=6\n"},
      {"\"!\" then plain", "[%G]\n!%K=5\n%K=6\nOwnKey=x\n"},
      {"three lines, blanks around", "[%G]\n  %K = 5\n!%K=6\n\t%K\t=7\nOwnKey=x\n"},
      {"a group named twice", "[%G]\n!%K=5\nOwnKey=x\n[Other]\n%K=8\n[%G]\n%K=6\n"},
      {"another spelling", "[%G]\n%K=5\n!%U=6\nOwnKey=x\n"},
  };
  for (const StoredKey& key : kStoredKeys) {
    for (const auto& shape : shapes) {
      std::string text = std::string("; kept\n[Kept]\nA=1\n") + shape.lines;
      for (std::size_t at; (at = text.find("%G")) != std::string::npos;) text.replace(at, 2, key.group);
      for (std::size_t at; (at = text.find("%K")) != std::string::npos;) text.replace(at, 2, key.name);
      std::string upper = key.name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      for (std::size_t at; (at = text.find("%U")) != std::string::npos;) text.replace(at, 2, upper);
      const std::string what = std::string(key.name) + ", " + shape.name;

      ScopedWorkDir dir;
      WriteBytes(kIni, text);
      OptionData options;
      ASSERT_TRUE(LoadIni(&options)) << what;
      // A value that none of the lines holds: 1234, or a flag off where every line reads on.
      if (key.number != nullptr) options.*key.number = 1234;
      if (key.flag != nullptr) options.*key.flag = false;
      ASSERT_TRUE(SaveIni(options)) << what;
      const std::string saved = ReadBytes(kIni);
      const std::string value = key.number != nullptr ? "1234" : "0";
      EXPECT_EQ(LinesOfKey(saved, key.group, key.name),
                std::vector<std::string>{std::string(key.name) + "=" + value})
          << what << ":\n"
          << saved;
      OptionData again;
      ASSERT_TRUE(LoadIni(&again)) << what;
      EXPECT_EQ(Describe(again), Describe(options)) << what << ":\n" << saved;
      // The lines of other keys and groups stay.
      EXPECT_EQ(saved.rfind(Saved("; kept\n[Kept]\nA=1\n"), 0), 0u) << what << ":\n" << saved;
      EXPECT_NE(saved.find(Saved("OwnKey=x\n")), std::string::npos) << what << ":\n" << saved;
      if (text.find("[Other]") != std::string::npos) {
        EXPECT_NE(saved.find(Saved("[Other]\n" + std::string(key.name) + "=8\n")), std::string::npos)
            << what << ":\n"
            << saved;
      }
    }
  }
}

TEST(IniSave, EveryEncodingIsRewrittenAsUtf8WithItsContent) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::string text = "[General]\r\nMetar=3\r\n; \xE9t\xE9\r\n";  // Latin-1 e-acute in the comment
  std::string utf16le = "\xFF\xFE";
  std::string utf16be = "\xFE\xFF";
  for (char c : text) {
    utf16le += c, utf16le += '\0';
    utf16be += '\0', utf16be += c;
  }
  const std::string utf8 = "[General]\r\nMetar=3\r\n; \xC3\xA9t\xC3\xA9\r\n";
  const Case cases[] = {
      {"UTF-16LE", utf16le}, {"UTF-16BE", utf16be}, {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8},
      {"UTF-8", utf8},       {"Latin-1", text},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    WriteBytes(kIni, c.bytes);
    OptionData options;
    ASSERT_TRUE(LoadIni(&options)) << c.name;
    ASSERT_TRUE(SaveIni(options)) << c.name;
    const std::string saved = ReadBytes(kIni);
    EXPECT_EQ(saved.rfind(Saved("[General]\nMetar=3\n"), 0), 0u) << c.name << ": " << saved;
    EXPECT_NE(saved.find(Saved("\n; \xC3\xA9t\xC3\xA9\n")), std::string::npos) << c.name << ": " << saved;
    OptionData again;
    ASSERT_TRUE(LoadIni(&again)) << c.name;
    EXPECT_EQ(again.Metar, 3) << c.name;
  }
}

TEST(IniSave, FailedWriteKeepsTheOldFile) {
  ScopedWorkDir dir;
  const std::string old = "[General]\nMetar=3\n";
  WriteBytes(kIni, old);
  // A folder where the temporary file would go: the new text cannot be written.
  std::filesystem::create_directory(std::string(kIni) + "." + std::to_string(wxGetProcessId()) + ".tmp");
  OptionData options;
  options.Metar = 1;
  EXPECT_FALSE(SaveIni(options));
  EXPECT_EQ(ReadBytes(kIni), old);
}

TEST(IniSave, KeepsTheFilesPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files carry no POSIX permissions";
#endif
  ScopedWorkDir dir;
  WriteBytes(kIni, "[General]\nMetar=3\n");
  ASSERT_EQ(chmod(kIni, 0600), 0);
  ASSERT_TRUE(SaveIni(OptionData{}));
  struct stat info {};
  ASSERT_EQ(stat(kIni, &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Asserts that reach the program's handler; a GUI build would show each as a dialog.
std::vector<std::string> gAsserts;
void RecordAssert(const wxString&, int, const wxString&, const wxString& cond, const wxString&) {
  gAsserts.push_back(cond.ToStdString());
}

// Hand-edited files the library reads with an assert of its own: they load and save without one
// reaching the program, and every key in them still counts.
TEST(IniFile, HandEditedOdditiesRaiseNoAssert) {
  struct Case {
    const char* name;
    const char* text;
    std::int32_t metar;
    std::int32_t update;
    std::int32_t shift;
  };
  const Case cases[] = {
      {"group named twice", "[General]\nMetar=3\n[Wind]\nMaxWindShift=45\n[General]\nWeatherupdate=30\n", 3,
       30, 45},
      {"key without a name", "[General]\n=5\nMetar=3\n", 3, 20, 90},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    WriteBytes(kIni, c.text);
    gAsserts.clear();
    const wxAssertHandler_t previous = wxSetAssertHandler(&RecordAssert);
    OptionData options;
    EXPECT_TRUE(LoadIni(&options)) << c.name;
    EXPECT_TRUE(SaveIni(options)) << c.name;
    OptionData again;
    EXPECT_TRUE(LoadIni(&again)) << c.name;
    const std::vector<std::string> duringIni = gAsserts;
    wxFAIL_MSG("after the ini");  // the program's own handler is back
    wxSetAssertHandler(previous);
    EXPECT_TRUE(duringIni.empty()) << c.name << ": " << (duringIni.empty() ? "" : duringIni.front());
    EXPECT_EQ(gAsserts.size(), duringIni.size() + 1) << c.name;
    for (const OptionData& o : {options, again}) {
      EXPECT_EQ(o.Metar, c.metar) << c.name;
      EXPECT_EQ(o.Weatherupdate, c.update) << c.name;
      EXPECT_EQ(o.MaxWindShift, c.shift) << c.name;
    }
  }
}

TEST(IniSave, MissingFolderFailsWithTheReason) {
  ScopedWorkDir dir;
  wxString reason;
  EXPECT_FALSE(SaveIni(OptionData{}, wxS("no-such-folder/Nubivane.ini"), &reason));
  EXPECT_EQ(reason, wxString(std::strerror(ENOENT)));
  EXPECT_FALSE(std::filesystem::exists("no-such-folder"));
}

TEST(IniSave, FailureTextNamesTheFileAndTheReason) {
  EXPECT_EQ(IniSaveFailureText(wxS("Permission denied")), wxS("Can't save Nubivane.ini: Permission denied"));
}

#ifndef _WIN32
namespace fs = std::filesystem;

// The file as a person keeps it elsewhere and links to it: the save goes into that file, and the
// link stays a link.
TEST(IniSave, ALinkedFileIsUpdatedWhereItLies) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link, what it names
    const char* file;                                        // the file saved into
    bool existing;
  };
  const Case cases[] = {
      {"relative link", {{kIni, "keep/Nubivane.ini"}}, "keep/Nubivane.ini", true},
      {"link to a link",
       {{kIni, "keep/second.ini"}, {"keep/second.ini", "Nubivane.ini"}},
       "keep/Nubivane.ini",
       true},
      {"link to a file not made yet", {{kIni, "keep/Nubivane.ini"}}, "keep/Nubivane.ini", false},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    fs::create_directory("keep");
    if (c.existing) WriteBytes(c.file, "; kept\n[General]\nMetar=3\n");
    for (const auto& [link, target] : c.links) fs::create_symlink(target, link);
    OptionData options;
    options.Metar = 1;
    options.wxRange = 900;
    ASSERT_TRUE(SaveIni(options)) << c.name;
    for (const auto& [link, target] : c.links) {
      EXPECT_TRUE(fs::is_symlink(link)) << c.name << ": " << link;
      EXPECT_EQ(fs::read_symlink(link).string(), target) << c.name << ": " << link;
    }
    const std::string saved = ReadBytes(c.file);
    EXPECT_NE(saved.find("Metar=1\n"), std::string::npos) << c.name;
    EXPECT_NE(saved.find("wxRange=900\n"), std::string::npos) << c.name;
    EXPECT_EQ(saved.rfind("; kept\n", 0) == 0, c.existing) << c.name;
    std::vector<std::string> names;  // no temporary file is left anywhere
    for (const auto& entry : fs::recursive_directory_iterator("."))
      names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), c.links.size() + 2) << c.name;
  }
}

// A link planted where the temporary file goes is removed, never written through.
TEST(IniSave, ATemporaryNameTakenByALinkIsNotWrittenThrough) {
  ScopedWorkDir dir;
  WriteBytes("victim.txt", "the user's own file\n");
  fs::create_symlink("victim.txt", std::string(kIni) + "." + std::to_string(wxGetProcessId()) + ".tmp");
  OptionData options;
  options.Metar = 3;
  ASSERT_TRUE(SaveIni(options));
  EXPECT_EQ(ReadBytes("victim.txt"), "the user's own file\n");
  OptionData again;
  EXPECT_TRUE(LoadIni(&again));
  EXPECT_EQ(again.Metar, 3);
}

// The rename fails: a folder stands where the file would go.
TEST(IniSave, AFolderInTheFilesPlaceFailsWithTheReason) {
  ScopedWorkDir dir;
  fs::create_directory(kIni);
  wxString reason;
  EXPECT_FALSE(SaveIni(OptionData{}, kIni, &reason));
  EXPECT_EQ(reason, wxString(std::strerror(EISDIR)));
  EXPECT_TRUE(fs::is_empty(kIni));
  // No temporary file is left.
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

// Runs body in a child process as the user nobody when this one is root, whom no permission
// stops (the suite runs as root in CI); its exit code.
int AsOrdinaryUser(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t child = ::fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    _exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? body() : 90);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Files that cannot be saved: false with the reason, and the old file as it was.
TEST(IniSave, AFileThatCannotBeWrittenFailsWithTheReason) {
  struct Case {
    const char* name;
    mode_t fileMode;
    mode_t folderMode;
    bool ordinaryUser;  // root writes through every permission: its rights are taken away
    const char* reason;
  };
  const Case cases[] = {
      {"read-only file", 0444, 0777, false, "the file is read-only"},
      {"read-only file, ordinary user", 0444, 0777, true, "the file is read-only"},
      {"folder that cannot be written", 0666, 0555, true, std::strerror(EACCES)},
  };
  for (const Case& c : cases) {
    ScopedWorkDir dir;
    const std::string old = "[General]\nMetar=3\n";
    WriteBytes(kIni, old);
    ASSERT_EQ(::chmod(kIni, c.fileMode), 0);
    ASSERT_EQ(::chmod(".", c.folderMode), 0);
    const auto save = [&c] {
      OptionData options;
      options.Metar = 1;
      wxString reason;
      if (SaveIni(options, kIni, &reason)) return 1;
      return reason == wxString(c.reason) ? 0 : 2;
    };
    const int outcome = c.ordinaryUser ? AsOrdinaryUser(save) : save();
    ASSERT_EQ(::chmod(".", 0755), 0);
    EXPECT_EQ(outcome, 0) << c.name << " (1: saved, 2: another reason)";
    EXPECT_EQ(ReadBytes(kIni), old) << c.name;
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1) << c.name;
  }
}
#endif

}  // namespace
