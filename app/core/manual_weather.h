#pragma once

#include <wx/string.h>

#include "simlink/new_weather.h"

// What the manual-weather dialog holds, as the user left it: the texts of its text fields, the
// values of its spin controls and the item chosen in each list. The defaults are what the
// dialog opens with. Temperature rows 2 to 4 of the dialog are not part of it: the record
// carries one temperature layer.
struct ManualWeatherForm {
  wxString Station = wxS("GLOB");  // ICAO code or GLOB
  wxString WindDirection = wxS("090");
  wxString WindSpeed = wxS("10");
  wxString WindGust = wxS("0");
  int WindTurbulence = 0;  // 0-4
  int WindShear = 0;       // 0-3
  int WindVariance = 10;   // degrees, 0-360
  wxString Visibility = wxS("20000");
  wxString Temperature = wxS("12");  // degrees Celsius
  wxString DewPoint = wxS("8");
  wxString TemperatureHeight = wxS("10000");  // feet
  int CloudType = 0;                          // item of "Cirrus", "Stratus", "Cumulus", "Thunderstorm"
  int CloudCover = 0;                         // item of "0/8" to "8/8", octas
  wxString CloudLower = wxS("2000");          // feet
  wxString CloudUpper = wxS("10000");         // feet
  wxString CloudSpare = wxS("0");
  int CloudTurbulence = 0;  // 0-4
  int CloudIcing = 0;       // 0-4
  wxString CloudTopShape = wxS("0");
  wxString PrecipBase = wxS("0");  // feet
  int PrecipType = 0;              // item of "none", "Rain", "Snow"
  int PrecipRate = 2;              // 0-5
};

// Fills *record from the form: every byte zero first, then the one wind, temperature and cloud
// layer. Every field is checked first against what its place in the record can carry and what
// it means (no negative height, no cloud whose base is above its top, a station of one to four
// ASCII letters or digits); a field that fails gives false and *problem names it by its label.
// The record's range check is not part of this.
bool BuildManualWeather(const ManualWeatherForm& form, NewWeather* record, wxString* problem);
