// "Nubivane.ini" as any bytes: load it, save over it, load again. Every file saves, also one that
// loads only in part, and the options read back are the ones saved.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "options/option_ini.h"

namespace {

std::string gFolder;

void RemoveFolder() {
  std::remove((gFolder + "/Nubivane.ini").c_str());
  rmdir(gFolder.c_str());
}

const wxString& IniPath() {
  static const wxString* path = [] {
    // A memory file system where there is one: every input is written, saved over and read twice.
    char memory[] = "/dev/shm/nubivane-fuzz-ini-XXXXXX";
    char disk[] = "/tmp/nubivane-fuzz-ini-XXXXXX";
    const char* folder = mkdtemp(memory);
    if (folder == nullptr) folder = mkdtemp(disk);
    if (folder == nullptr) std::abort();
    gFolder = folder;
    std::atexit(&RemoveFolder);
    return new wxString(wxString::FromUTF8(folder) + wxS("/Nubivane.ini"));
  }();
  return *path;
}

bool SameStoredFields(const OptionData& a, const OptionData& b) {
  return a.FramePosX == b.FramePosX && a.FramePosY == b.FramePosY && a.FrameSizeX == b.FrameSizeX &&
         a.FrameSizeY == b.FrameSizeY && a.CheckUpdateStartup == b.CheckUpdateStartup && a.Metar == b.Metar &&
         a.Weatherupdate == b.Weatherupdate && a.DwlUpperair == b.DwlUpperair &&
         a.DwlAddWeather == b.DwlAddWeather && a.DwlStartup == b.DwlStartup && a.wxRange == b.wxRange &&
         a.GenerateCirus == b.GenerateCirus && a.Cloudmixed == b.Cloudmixed && a.Cloudlayer == b.Cloudlayer &&
         a.SurfaceWindGust == b.SurfaceWindGust && a.TurbulenceCloud == b.TurbulenceCloud &&
         a.FSUIPCWindSmoothing == b.FSUIPCWindSmoothing && a.MaxWindShift == b.MaxWindShift;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  IniPath();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(IniPath().fn_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  OptionData loaded;
  LoadIni(&loaded, IniPath());
  // Values a user would change between the load and the save.
  OptionData changed = loaded;
  changed.Metar = loaded.Metar == 3 ? 1 : 3;
  changed.DwlUpperair = !loaded.DwlUpperair;
  changed.wxRange = 1234;
  // A file read only in part is saved too, with what could be read.
  Require(SaveIni(changed, IniPath()), "every file that could be read can be saved");
  OptionData again;
  Require(LoadIni(&again, IniPath()), "a saved file reads whole");
  Require(SameStoredFields(again, changed), "the options read back are the ones saved");
  return 0;
}
