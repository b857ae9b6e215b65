#include <gtest/gtest.h>

#include <cmath>

#include "common/test_paths.h"
#include "reports/metar.h"
#include "reports/report_text.h"

namespace {

bool LooksLikeReport(const wxString& line) {
  return line.length() >= 12 && line.Mid(4, 1) == " " && line.Mid(11, 1) == "Z";
}

bool WeatherGroupsEndInBlanks(const wxString& weather) {
  if (weather.empty()) return true;
  if (weather.Last() != ' ') return false;
  for (const wxUniChar c : weather) {
    const auto v = c.GetValue();
    if (!(v == ' ' || v == '-' || v == '+' || (v >= 'A' && v <= 'Z'))) return false;
  }
  return weather.Find(wxS("  ")) == wxNOT_FOUND;
}

// The whole real sample feed: 12,364 reports from about 8,000 stations, junk lines included.
// The floors are what this decoder reaches, less a small margin: 85.6 % of the report lines
// decode (most of the rest are automatic stations without a pressure group, and junk) and
// 81.1 % are identified in the shipped catalogue (72.6 % with NOAA's airports alone).
TEST(MetarFeed, WholeSampleDecodes) {
  ClMetar catalogue;
  ASSERT_TRUE(catalogue.LoadAirports(wxString::FromUTF8(testsupport::CataloguePath("airport.dat"))));
  wxString text;
  ASSERT_TRUE(
      AppendLatin1File(wxString::FromUTF8(testsupport::SharedDataPath("metar-cycle-sample.txt")), text));

  ClMetar decoder;
  std::size_t reports = 0, identified = 0, decoded = 0;
  for (const wxString& line : SplitLines(text)) {
    MetarRecord r;
    r.Raw = line;
    const bool found = catalogue.FindMetarStation(&r);
    const bool ok = decoder.DecodeMetar(&r);
    if (!LooksLikeReport(line)) continue;
    ++reports;
    identified += found;
    decoded += ok;
    if (found) {
      EXPECT_TRUE(std::isfinite(r.Latitude) && std::fabs(r.Latitude) <= 90.0) << line;
      EXPECT_TRUE(std::isfinite(r.Longitude) && std::fabs(r.Longitude) <= 180.0) << line;
      EXPECT_EQ(r.Icao, line.Left(4));
    }
    if (!ok) continue;
    EXPECT_EQ(r.Time, line.Mid(5, 7)) << line;
    EXPECT_TRUE(r.WindGust == 0 || r.WindGust >= r.WindSpeed || r.WindSpeed > 100) << line;
    EXPECT_TRUE(r.VariableFrom == 65535 || (r.VariableFrom <= 360 && r.VariableTo <= 360)) << line;
    EXPECT_TRUE(r.Temperature >= -99 && r.Temperature <= 99) << line;
    EXPECT_TRUE(r.DewPoint >= -99 && r.DewPoint <= 99) << line;
    EXPECT_TRUE(r.Pressure > 0 && r.Pressure <= 9999) << line;
    EXPECT_TRUE(r.Intensity == 1 || r.Intensity == 3 || r.Intensity == 4) << line;
    EXPECT_TRUE(WeatherGroupsEndInBlanks(r.PresentWeather)) << line;
    for (const CloudLayer& layer : r.Clouds) {
      EXPECT_TRUE(layer.Cover >= 1 && layer.Cover <= 4) << line;
      EXPECT_TRUE(layer.Base >= 0 && layer.Base <= 99900 && layer.Base % 100 == 0) << line;
      EXPECT_TRUE(layer.Type.empty() || layer.Type == "CB" || layer.Type == "TCU") << line;
    }
  }
  EXPECT_GE(reports, 11900u);
  EXPECT_GE(static_cast<double>(decoded) / reports, 0.845);
  EXPECT_GE(static_cast<double>(identified) / reports, 0.80);
}

}  // namespace
