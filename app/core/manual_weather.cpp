#include "app/core/manual_weather.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

#include "base/ascii.h"
#include "base/saturate.h"
#include "base/units.h"
#include "options/option_ini.h"
#include "simlink/new_weather.h"

namespace {

constexpr std::uint16_t kPressure1013Mb = 16208;  // sixteenths of a millibar
constexpr std::uint16_t kVisibilityTopM = 3000;
constexpr std::uint16_t kWindLayerAltitudeM = 20000;
constexpr std::uint16_t kSurfaceWindFlag = 65000;
constexpr std::size_t kStationBytes = 4;

constexpr int kMaxTurbulence = 4;
constexpr int kMaxShear = 3;
constexpr int kMaxPrecipRate = 5;
constexpr int kMaxCoverOctas = 8;

// The simulator's cloud types of the dialog's list, in its order.
constexpr std::uint8_t kCloudTypes[] = {1 /* Cirrus */, 8 /* Stratus */, 9 /* Cumulus */,
                                        10 /* Thunderstorm */};
constexpr int kPrecipTypes = 3;  // "none", "Rain", "Snow"

template <typename Field>
constexpr std::int64_t Lowest() {
  return std::numeric_limits<Field>::min();
}
template <typename Field>
constexpr std::int64_t Highest() {
  return std::numeric_limits<Field>::max();
}

// Reads the form field by field and keeps the first problem.
class FieldReader {
 public:
  explicit FieldReader(wxString* problem) : problem_(problem) {}

  bool Failed() const { return failed_; }

  // A whole number from low to high, blanks around it allowed.
  std::int32_t Whole(const wxString& label, const wxString& text, std::int64_t low, std::int64_t high) {
    std::int32_t value = 0;
    if (!ParseIniNumber(text, &value) || value < low || value > high) {
      Fail(wxString::Format(wxS("%s \"%s\" is not a whole number from %lld to %lld."), label, text,
                            static_cast<long long>(low), static_cast<long long>(high)));
      return 0;
    }
    return value;
  }

  // A height typed in feet, as whole metres that fit from lowM to highM.
  std::int32_t Height(const wxString& label, const wxString& text, std::int64_t lowM, std::int64_t highM) {
    const std::int64_t lowFt = lowM < 0 ? -HighestFeetWithin(-lowM) : lowM;
    const std::int64_t highFt = HighestFeetWithin(highM);
    const std::int32_t feet = Whole(label, text, lowFt, highFt);
    return static_cast<std::int32_t>(MetresOf(feet));
  }

  // A value the dialog's own control keeps within its range; checked all the same.
  int Chosen(const wxString& label, int value, int low, int high) {
    if (value < low || value > high) {
      Fail(wxString::Format(wxS("%s %i is not from %i to %i."), label, value, low, high));
      return low;
    }
    return value;
  }

  void Fail(const wxString& text) {
    if (failed_) return;
    failed_ = true;
    *problem_ = text;
  }

 private:
  static double MetresOf(std::int64_t feet) { return std::trunc(FeetToMetres(static_cast<double>(feet))); }

  // The most feet whose whole metres (truncated) are at most metres.
  static std::int64_t HighestFeetWithin(std::int64_t metres) {
    auto feet = static_cast<std::int64_t>(std::ceil((metres + 1) * kFeetPerMetre));
    while (MetresOf(feet) > metres) --feet;
    return feet;
  }

  wxString* problem_;
  bool failed_ = false;
};

bool IsStationCharacter(wxUniChar c) { return IsAsciiDigit(c) || IsAsciiUpper(c); }

// One to four ASCII letters or digits, in capitals, padded with zero bytes.
void ReadStation(FieldReader& reader, const wxString& typed, char (&icao)[kStationBytes]) {
  const wxString station = typed.Upper();
  bool valid = !station.empty() && station.length() <= kStationBytes;
  for (const wxUniChar c : station) valid = valid && IsStationCharacter(c);
  if (!valid) {
    reader.Fail(wxS("Station: \"") + typed +
                wxS("\" is not an ICAO code or GLOB (one to four letters or digits)."));
    return;
  }
  for (std::size_t i = 0; i < station.length(); ++i) icao[i] = static_cast<char>(station[i].GetValue());
}

void ReadWind(FieldReader& reader, const ManualWeatherForm& form, NewWeatherWind* wind) {
  wind->Altitude = kWindLayerAltitudeM;
  wind->Direction = AngleWord(reader.Whole(wxS("Wind dir:"), form.WindDirection, 0, kDegreesPerTurn));
  wind->Speed =
      saturate<std::uint16_t>(reader.Whole(wxS("Speed in kt:"), form.WindSpeed, 0, Highest<std::uint16_t>()));
  wind->Gust =
      saturate<std::uint16_t>(reader.Whole(wxS("Gust:"), form.WindGust, 0, Highest<std::uint16_t>()));
  wind->Turbulence =
      saturate<std::uint8_t>(reader.Chosen(wxS("Turb:"), form.WindTurbulence, 0, kMaxTurbulence));
  wind->Shear = saturate<std::uint8_t>(reader.Chosen(wxS("Shear:"), form.WindShear, 0, kMaxShear));
  wind->Variance = AngleWord(reader.Chosen(wxS("Var:"), form.WindVariance, 0, kDegreesPerTurn));
  wind->SurfaceFlag = kSurfaceWindFlag;
}

void ReadTemperature(FieldReader& reader, const ManualWeatherForm& form, NewWeatherTemp* temp) {
  temp->Altitude = saturate<std::uint16_t>(
      reader.Height(wxS("Height ft:"), form.TemperatureHeight, 0, Highest<std::uint16_t>()));
  temp->Temperature = saturate<std::int16_t>(
      reader.Whole(wxS("Temp:"), form.Temperature, Lowest<std::int16_t>(), Highest<std::int16_t>()));
  temp->DewPoint = saturate<std::int16_t>(
      reader.Whole(wxS("Dew:"), form.DewPoint, Lowest<std::int16_t>(), Highest<std::int16_t>()));
}

void ReadCloud(FieldReader& reader, const ManualWeatherForm& form, NewWeatherCloud* cloud) {
  const int type =
      reader.Chosen(wxS("Type:"), form.CloudType, 0, static_cast<int>(std::size(kCloudTypes)) - 1);
  cloud->Type = kCloudTypes[type];
  cloud->Coverage = saturate<std::uint8_t>(reader.Chosen(wxS("Cover:"), form.CloudCover, 0, kMaxCoverOctas));
  const std::int32_t lower =
      reader.Height(wxS("Height from ft:"), form.CloudLower, 0, Highest<std::uint16_t>());
  const std::int32_t upper = reader.Height(wxS("to:"), form.CloudUpper, 0, Highest<std::uint16_t>());
  if (lower > upper) {
    reader.Fail(wxS("Height from ft: ") + form.CloudLower + wxS(" is above the top of the cloud (to: ") +
                form.CloudUpper + wxS(")."));
  }
  cloud->LowerAlt = saturate<std::uint16_t>(lower);
  cloud->UpperAlt = saturate<std::uint16_t>(upper);
  cloud->Spare =
      saturate<std::uint8_t>(reader.Whole(wxS("Spare:"), form.CloudSpare, 0, Highest<std::uint8_t>()));
  cloud->Turbulence =
      saturate<std::uint8_t>(reader.Chosen(wxS("Turbulence:"), form.CloudTurbulence, 0, kMaxTurbulence));
  cloud->Icing = saturate<std::uint8_t>(reader.Chosen(wxS("Icing:"), form.CloudIcing, 0, kMaxTurbulence));
  cloud->TopShape =
      saturate<std::uint8_t>(reader.Whole(wxS("Top Shape:"), form.CloudTopShape, 0, Highest<std::uint8_t>()));
  cloud->PrecipBase = saturate<std::int16_t>(reader.Height(wxS("Precip Base in ft:"), form.PrecipBase,
                                                           Lowest<std::int16_t>(), Highest<std::int16_t>()));
  cloud->PrecipType =
      saturate<std::uint8_t>(reader.Chosen(wxS("Type:"), form.PrecipType, 0, kPrecipTypes - 1));
  cloud->PrecipRate = saturate<std::uint8_t>(reader.Chosen(wxS("Rate:"), form.PrecipRate, 0, kMaxPrecipRate));
}

}  // namespace

bool BuildManualWeather(const ManualWeatherForm& form, NewWeather* record, wxString* problem) {
  ClearNewWeather(record);
  FieldReader reader(problem);
  record->Command = kWeatherCommandManualRecord;
  ReadStation(reader, form.Station, record->Icao);
  record->WindCount = 1;
  ReadWind(reader, form, &record->Wind[0]);
  record->Pressure = kPressure1013Mb;
  record->VisUpperAlt = kVisibilityTopM;
  record->VisLowerAlt = 0;
  // The typed number goes into the range field as it is, without the conversion of reports.
  record->VisRange = saturate<std::uint16_t>(
      reader.Whole(wxS("Visibility in m:"), form.Visibility, 0, Highest<std::uint16_t>()));
  record->TempCount = 1;
  ReadTemperature(reader, form, &record->Temp[0]);
  record->CloudCount = 1;
  ReadCloud(reader, form, &record->Cloud[0]);
  record->UpperVisCount = 0;
  if (reader.Failed()) {
    ClearNewWeather(record);
    return false;
  }
  return true;
}
