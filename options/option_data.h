#pragma once

#include <cstdint>

// The values of OptionData::Metar: the METAR feed the update cycle downloads.
constexpr std::int32_t kFeedVatsim = 1;
constexpr std::int32_t kFeedIvao = 2;
constexpr std::int32_t kFeedNoaa = 3;

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
  std::int32_t Metar = kFeedVatsim;
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
