#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
