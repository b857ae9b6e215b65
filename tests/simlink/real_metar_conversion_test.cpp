#include <gtest/gtest.h>

#include <algorithm>

#include "common/test_paths.h"
#include "reports/metar.h"
#include "reports/report_text.h"
#include "simlink/convert_weather.h"

namespace {

struct Tally {
  std::size_t converted = 0;
  std::size_t passed = 0;
};

// The checks every converted record must satisfy, whatever the report said.
void ExpectSoundRecord(const NewWeather& record, const MetarRecord& metar) {
  EXPECT_EQ(record.Command, 0x101) << metar.Raw;
  EXPECT_EQ(record.TempCount, 20) << metar.Raw;
  EXPECT_EQ(record.WindCount, 20) << metar.Raw;
  EXPECT_EQ(record.CloudCount, static_cast<std::int32_t>(std::min<std::size_t>(metar.Clouds.size(), 16)))
      << metar.Raw;
  for (int k = 0; k < record.CloudCount; ++k) {
    EXPECT_GE(record.Cloud[k].UpperAlt, record.Cloud[k].LowerAlt) << metar.Raw;
  }
}

// Converts every report of the real sample feed that is identified and decodes, as the
// conversion run does; a record that fails its check must be reported with its dump.
Tally ConvertSample(const OptionData& options) {
  ClMetar catalogue;
  EXPECT_TRUE(catalogue.LoadAirports(wxString::FromUTF8(testsupport::CataloguePath("airport.dat"))));
  wxString text;
  EXPECT_TRUE(
      AppendLatin1File(wxString::FromUTF8(testsupport::SharedDataPath("metar-cycle-sample.txt")), text));
  ClMetar decoder;
  Tally tally;
  NewWeather record;
  for (const wxString& line : SplitLines(text)) {
    MetarRecord metar;
    metar.Raw = line;
    if (!catalogue.FindMetarStation(&metar) || !decoder.DecodeMetar(&metar)) continue;
    ClConvertWeather converter(options);
    EXPECT_TRUE(converter.ConvertMetar(&record, &metar));
    ++tally.converted;
    ExpectSoundRecord(record, metar);
    if (converter.CheckNewWeather(&record)) {
      ++tally.passed;
    } else {
      EXPECT_TRUE(converter.GetErrorText().StartsWith(wxS("\r\nWrite: Station ") + metar.Icao)) << metar.Raw;
    }
  }
  return tally;
}

// Measured on the sample: about 9,030 reports convert and all but 4 pass, with or without the gust
// and turbulence options; the four carry pressures typed as Q1995, Q9960, A2008 and A3990.
TEST(RealMetarConversion, WholeSampleConvertsAndMostPass) {
  testsupport::ScopedWorkDir dir;
  struct Case {
    const char* name;
    bool gustAndTurbulence;
    double floor;
  };
  const Case cases[] = {{"default options", false, 0.999}, {"gust and turbulence", true, 0.999}};
  for (const Case& c : cases) {
    OptionData options;
    options.SurfaceWindGust = c.gustAndTurbulence;
    options.TurbulenceCloud = c.gustAndTurbulence;
    const Tally tally = ConvertSample(options);
    EXPECT_GE(tally.converted, 9000u) << c.name;
    EXPECT_GE(static_cast<double>(tally.passed) / tally.converted, c.floor) << c.name;
    EXPECT_LT(tally.passed, tally.converted) << c.name << ": the sample holds reports the check must reject";
  }
}

}  // namespace
