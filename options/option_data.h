#pragma once

#include <cstdint>

// The user's options, one block for the whole run, touched by the GUI thread only. The options
// dialog edits it; the converter takes a copy per station, the writer thread gets a copy of what
// it uses whenever OK or Apply changes it. Defaults are those of a first
// start without "Nubivane.ini".
struct OptionData {
  std::int32_t FramePosX = 10;    // main window's outer left edge, screen pixels
  std::int32_t FramePosY = 10;    // main window's outer top edge, screen pixels
  std::int32_t FrameSizeX = 630;  // outer width, pixels
  std::int32_t FrameSizeY = 360;  // outer height, pixels
  bool CheckUpdateStartup = false;
  std::int32_t Metar = 1;           // feed: 1 VATSIM, 2 IVAO, 3 NOAA
  std::int32_t Weatherupdate = 20;  // minutes between downloads
  // These five have no default of their own in the ini rules; off until the user sets them.
  bool DwlUpperair = false;
  bool DwlAddWeather = false;
  bool DwlStartup = false;
  std::int32_t wxRange = 300;  // nautical miles around the aircraft
  bool GenerateCirus = true;
  bool Cloudmixed = false;
  std::int32_t Cloudlayer = 3;  // most cloud layers taken from a SYNOP
  bool SurfaceWindGust = false;
  bool TurbulenceCloud = false;
  bool FSUIPCWindSmoothing = false;
  std::int32_t MaxWindShift = 90;  // degrees between upper levels
  bool AlignUpperWinds = false;    // not stored; the main window turns it on at start
};
