#include <wx/file.h>
#include <wx/log.h>

#include <algorithm>
#include <cstring>

#include "simlink/convert_weather.h"

namespace {

// Inclusive bounds of the tested fields, in the units of the record.
constexpr unsigned kMaxWindSpeedKt = 200;
constexpr unsigned kMaxWindGustKt = 200;
constexpr unsigned kMaxWindShear = 3;
constexpr unsigned kMaxTurbulence = 4;
constexpr int kMinTemperatureC = -150;
constexpr int kMaxTemperatureC = 100;
constexpr unsigned kMaxCloudDeviationM = 50000;
constexpr unsigned kMaxCloudCoverOctas = 8;
constexpr unsigned kMaxCloudType = 10;
constexpr unsigned kMaxIcing = 4;
constexpr int kMinAltitudeM = -2000;
constexpr unsigned kMaxPrecipType = 2;
constexpr unsigned kMaxPrecipRate = 5;
constexpr unsigned kMinPressure16thMb = 11200;  // 700 mb
constexpr unsigned kMaxPressure16thMb = 20800;  // 1300 mb
constexpr unsigned kMaxVisUpperAltM = 50000;
constexpr std::size_t kIcaoBytes = 4;

// Layers to look at for a count: none for 0 or less, never more than the array holds.
int LayersWithin(std::int32_t count, int capacity) { return std::clamp<std::int32_t>(count, 0, capacity); }

bool CountFits(std::int32_t count, int capacity) { return count <= capacity; }

bool WindInRange(const NewWeatherWind& wind) {
  return wind.Speed <= kMaxWindSpeedKt && wind.Gust <= kMaxWindGustKt && wind.Shear <= kMaxWindShear &&
         wind.Turbulence <= kMaxTurbulence;
}

bool TemperatureInRange(std::int16_t celsius) {
  return celsius >= kMinTemperatureC && celsius <= kMaxTemperatureC;
}

bool TempInRange(const NewWeatherTemp& temp) {
  return TemperatureInRange(temp.Temperature) && TemperatureInRange(temp.DewPoint);
}

bool CloudInRange(const NewWeatherCloud& cloud) {
  return cloud.Deviation <= kMaxCloudDeviationM && cloud.Coverage <= kMaxCloudCoverOctas &&
         cloud.Type <= kMaxCloudType && cloud.Turbulence <= kMaxTurbulence && cloud.Icing <= kMaxIcing &&
         cloud.PrecipBase >= kMinAltitudeM && cloud.PrecipType <= kMaxPrecipType &&
         cloud.PrecipRate <= kMaxPrecipRate;
}

bool HeaderInRange(const NewWeather& record) {
  return record.Pressure >= kMinPressure16thMb && record.Pressure <= kMaxPressure16thMb &&
         record.VisUpperAlt <= kMaxVisUpperAltM && record.VisLowerAlt >= kMinAltitudeM;
}

template <typename Layer, std::size_t N>
bool LayersInRange(const Layer (&layers)[N], std::int32_t count, bool (*inRange)(const Layer&)) {
  const int used = LayersWithin(count, static_cast<int>(N));
  return std::all_of(layers, layers + used, inRange);
}

// The identifier's bytes up to the first zero, at most four; read as UTF-8, else byte by byte.
wxString StationText(const NewWeather& record) {
  const std::size_t length = strnlen(record.Icao, kIcaoBytes);
  const wxString utf8 = wxString::FromUTF8(record.Icao, length);
  if (!utf8.empty() || length == 0) return utf8;
  return wxString(record.Icao, wxConvISO8859_1, length);
}

wxString WindLine(int i, const NewWeatherWind& wind) {
  return wxString::Format(
      wxS("Wind[%i]: Alt=%i m Winddir=%i , Speed=%i,Gust=%i,Shear=%i, Turbul=%i, Var=%i\r\n"), i,
      int{wind.Altitude}, int{wind.Direction}, int{wind.Speed}, int{wind.Gust}, int{wind.Shear},
      int{wind.Turbulence}, int{wind.Variance});
}

wxString TempLine(int i, const NewWeatherTemp& temp) {
  return wxString::Format(wxS("Temp[%i]: Alt %i m, Temp %i\u00B0C, Dew %i\u00B0C\r\n"), i, int{temp.Altitude},
                          int{temp.Temperature}, int{temp.DewPoint});
}

wxString CloudLine(int i, const NewWeatherCloud& cloud) {
  return wxString::Format(
      wxS("Cloud[%i]: Lower=%i m,Upper=%i m,Dev= %i m, Cover= %i, Type=%i,Turb=%i,Ice=%i,PreBase=%i m,"
          "PreTyp=%i,PreRate=%i\r\n"),
      i, int{cloud.LowerAlt}, int{cloud.UpperAlt}, int{cloud.Deviation}, int{cloud.Coverage}, int{cloud.Type},
      int{cloud.Turbulence}, int{cloud.Icing}, int{cloud.PrecipBase}, int{cloud.PrecipType},
      int{cloud.PrecipRate});
}

}  // namespace

bool WeatherInRange(const NewWeather& record) {
  return CountFits(record.WindCount, kMaxWindLayers) && CountFits(record.TempCount, kMaxTempLayers) &&
         CountFits(record.CloudCount, kMaxCloudLayers) && HeaderInRange(record) &&
         LayersInRange(record.Wind, record.WindCount, WindInRange) &&
         LayersInRange(record.Temp, record.TempCount, TempInRange) &&
         LayersInRange(record.Cloud, record.CloudCount, CloudInRange);
}

wxString DumpNewWeather(const NewWeather& record) {
  wxString dump = wxS("\r\n");
  dump += wxS("Write: Station ") + StationText(record) + wxS("\r\n");
  dump += wxString::Format(wxS("Vis: Lower=%i m, Upper=%i m, Range=%i\r\n"), int{record.VisLowerAlt},
                           int{record.VisUpperAlt}, int{record.VisRange});
  for (int i = 0; i < LayersWithin(record.WindCount, kMaxWindLayers); ++i)
    dump += WindLine(i, record.Wind[i]);
  for (int i = 0; i < LayersWithin(record.TempCount, kMaxTempLayers); ++i)
    dump += TempLine(i, record.Temp[i]);
  for (int i = 0; i < LayersWithin(record.CloudCount, kMaxCloudLayers); ++i) {
    dump += CloudLine(i, record.Cloud[i]);
  }
  return dump;
}

bool AppendWeatherDump(const wxString& dump, const wxString& path) {
  wxLogNull quiet;  // a dump file we cannot write must never raise a message box
  wxFile file;
  if (!file.Open(path, wxFile::write_append, wxS_DEFAULT)) return false;
  const wxScopedCharBuffer bytes = dump.utf8_str();
  return file.Write(bytes.data(), bytes.length()) == bytes.length() && file.Close();
}

ClConvertWeather::ClConvertWeather() = default;

ClConvertWeather::ClConvertWeather(OptionData options) : Options(options) {}

ClConvertWeather::~ClConvertWeather() = default;

bool ClConvertWeather::CheckNewWeather(const NewWeather* record) {
  if (record == nullptr) return false;
  if (WeatherInRange(*record)) return true;
  LastError = DumpNewWeather(*record);
  AppendWeatherDump(LastError);
  return false;
}
