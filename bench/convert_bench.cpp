#include <benchmark/benchmark.h>

#include "reports/synop_record.h"
#include "reports/upperair_records.h"
#include "simlink/convert_weather.h"

namespace {

MetarRecord StormyMetar() {
  MetarRecord metar;
  metar.Icao = wxS("EDDF");
  metar.Elevation = 364;
  metar.WindDirection = 250;
  metar.WindSpeed = 18;
  metar.WindGust = 32;
  metar.VariableFrom = 220;
  metar.VariableTo = 280;
  metar.Visibility = 4000;
  metar.Temperature = 14;
  metar.DewPoint = 11;
  metar.Pressure = 1002;
  metar.Clouds = {{2, 1500, wxString()}, {3, 2500, wxS("CB")}, {4, 8000, wxString()}};
  metar.PresentWeather = wxS("+TSRA ");
  metar.Intensity = 4;
  return metar;
}

// One station of the conversion run: the METAR conversion and the range check of a passing record.
void BM_ConvertMetarAndCheck(benchmark::State& state) {
  const MetarRecord metar = StormyMetar();
  OptionData options;
  options.SurfaceWindGust = true;
  options.TurbulenceCloud = true;
  NewWeather record;
  for (auto _ : state) {
    ClConvertWeather converter(options);
    converter.ConvertMetar(&record, &metar);
    benchmark::DoNotOptimize(WeatherInRange(record));
  }
}
BENCHMARK(BM_ConvertMetarAndCheck);

UpperairRecord Sounding() {
  UpperairRecord sounding;
  const std::int16_t pressures[] = {925, 850, 700, 500, 400, 300, 250, 200, 150, 100};
  const std::int32_t heights[] = {760, 1500, 3000, 5600, 7200, 9200, 10400, 11800, 13600, 16200};
  for (int i = 0; i < 10; ++i) {
    UpperLevel level;
    level.Pressure = pressures[i];
    level.Height = heights[i];
    level.Temperature = 10.0f - 7.0f * i;
    level.DewPoint = level.Temperature - 5.0f;
    level.Direction = static_cast<std::uint16_t>(250 + 5 * i);
    level.Speed = static_cast<std::uint16_t>(20 + 8 * i);
    sounding.Levels.push_back(level);
  }
  sounding.Surface.Direction = 240;
  sounding.Surface.Speed = 12;
  sounding.MaxWind.Pressure = kNoMaxWindPressure;
  return sounding;
}

// One station as the conversion run treats it with every source: METAR, sounding, SYNOP, check.
void BM_ConvertStationWithUpperairAndSynop(benchmark::State& state) {
  MetarRecord metar = StormyMetar();
  metar.Time = wxS("141450Z");
  metar.SynopDistance = 25;
  const UpperairRecord sounding = Sounding();
  SynopRecord synop;
  synop.Station.Time = wxS("1412");
  synop.Visibility = 12.0;
  synop.LowCloudType = 9;
  synop.MiddleCloudType = 7;
  synop.HighCloudType = 10;
  OptionData options;
  options.AlignUpperWinds = true;
  options.Cloudmixed = true;
  NewWeather record;
  for (auto _ : state) {
    ClConvertWeather converter(options);
    converter.ConvertMetar(&record, &metar);
    converter.ConvertUpperair(&record, &sounding, &metar);
    converter.ConvertSynop(&record, &synop, &metar);
    benchmark::DoNotOptimize(converter.CheckNewWeather(&record));
  }
}
BENCHMARK(BM_ConvertStationWithUpperairAndSynop);

}  // namespace
