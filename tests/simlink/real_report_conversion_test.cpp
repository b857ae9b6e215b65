#include <gtest/gtest.h>

#include "common/test_paths.h"
#include "reports/bulletin_split.h"
#include "reports/report_text.h"
#include "reports/synop.h"
#include "reports/ttaa_decoder.h"
#include "reports/upperair.h"
#include "reports/upperair_profile.h"
#include "simlink/convert_weather.h"

namespace {

using testsupport::ReadLatin1;

// METARs of different skies to lay under each real report: clear, low cumulus with rain, three
// layers up to cirrus level, and a thunderstorm at a high station.
std::vector<MetarRecord> Metars() {
  std::vector<MetarRecord> metars(4);
  for (MetarRecord& m : metars) {
    m.Icao = wxS("TEST");
    m.Time = wxS("141200Z");
    m.WindDirection = 240;
    m.WindSpeed = 12;
    m.Visibility = kUnrestrictedVisibilityM;
    m.SynopDistance = 20;
  }
  metars[1].Clouds = {{2, 1500, wxString()}, {3, 4000, wxString()}};
  metars[1].PresentWeather = wxS("-SHRA ");
  metars[2].Clouds = {{1, 3000, wxString()}, {3, 12000, wxString()}, {2, 25000, wxString()}};
  metars[3].Elevation = 7000;
  metars[3].Clouds = {{3, 2000, wxS("CB")}, {4, 9000, wxString()}};
  metars[3].PresentWeather = wxS("+TSRA ");
  return metars;
}

void ExpectSoundClouds(const NewWeather& record, const wxString& report) {
  ASSERT_GE(record.CloudCount, 0) << report;
  ASSERT_LE(record.CloudCount, kMaxCloudLayers) << report;
  for (int k = 0; k < record.CloudCount; ++k)
    EXPECT_GE(record.Cloud[k].UpperAlt, record.Cloud[k].LowerAlt) << report;
}

// Every real SYNOP that identifies and decodes, over every sky and with every cloud option on:
// the record stays within its 16 layers and within the check's bounds.
TEST(RealReportConversion, SynopSamplesKeepTheRecordSound) {
  const ClSynop catalogue(wxString::FromUTF8(testsupport::CataloguePath("station.dat")));
  OptionData options;
  options.Cloudmixed = true;
  options.GenerateCirus = true;
  options.Cloudlayer = 16;
  std::size_t converted = 0;
  wxString header;
  for (const wxString& piece :
       SplitBulletinPieces(ReadLatin1(testsupport::SharedDataPath("fldigi_synop_samples.txt")))) {
    SynopRecord synop;
    synop.Raw = piece;
    synop.Header = header;
    header = SynopHeaderAfter(piece, header);
    if (!catalogue.FindSynopStation(&synop) || !DecodeSynop(&synop)) continue;
    for (MetarRecord& metar : Metars()) {
      ClConvertWeather converter(options);
      NewWeather record;
      converter.ConvertMetar(&record, &metar);
      EXPECT_TRUE(converter.ConvertSynop(&record, &synop, &metar));
      ExpectSoundClouds(record, piece);
      EXPECT_TRUE(WeatherInRange(record)) << piece << "\n" << DumpNewWeather(record);
      ++converted;
    }
  }
  EXPECT_GE(converted, 4u * 30);
}

// Every real TTAA of the two TEMP bulletins, merged with its TTBB and interpolated as the display
// and the conversion run do, converts and passes the check.
TEST(RealReportConversion, TempBulletinsConvert) {
  const char* const bulletins[] = {"temp_bulletin_us_knots.txt",
                                   "temp_bulletin_german_metres_per_second.txt"};
  OptionData options;
  options.AlignUpperWinds = true;
  std::size_t converted = 0;
  testsupport::ScopedWorkDir dir;
  for (const char* name : bulletins) {
    const std::vector<wxString> pieces = SplitBulletinPieces(ReadLatin1(testsupport::FixturePath(name)));
    for (const wxString& piece : pieces) {
      UpperairRecord ttaa;
      ttaa.Raw = piece;
      if (!DecodeTTAA(&ttaa)) continue;
      const wxString station = piece.AfterFirst(' ').AfterFirst(' ').Left(5);
      UpperairPart ttbb;
      for (const wxString& other : pieces) {
        if (other.Contains(wxS("TTBB")) && other.Contains(station)) ttbb.Raw = other;
      }
      if (!ttbb.Raw.empty()) DecodeTTBB(&ttbb);
      ttbb.Station = ttaa.Station;
      UpperairRecord profile;
      ASSERT_TRUE(MergeUpperair(&profile, &ttaa, &ttbb)) << piece;
      InterpolateLevels(&profile);
      for (MetarRecord& metar : Metars()) {
        ClConvertWeather converter(options);
        NewWeather record;
        converter.ConvertMetar(&record, &metar);
        EXPECT_TRUE(converter.ConvertUpperair(&record, &profile, &metar))
            << piece << converter.GetErrorText();
        EXPECT_GE(record.WindCount, 3) << piece;  // at least one level above every station
        for (int i = 3; i < record.WindCount; ++i) {
          EXPECT_GE(record.Wind[i].Altitude, record.Wind[2].Altitude) << piece;
        }
        ++converted;
      }
    }
  }
  EXPECT_GE(converted, 4u * 4);
}

}  // namespace
