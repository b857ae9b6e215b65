#include "cycle/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "cycle/station_choice.h"
#include "reports/bulletin_split.h"
#include "reports/metar.h"
#include "reports/report_text.h"
#include "reports/synop.h"
#include "reports/upperair.h"
#include "simlink/convert_weather.h"

namespace {

// Real reports of the sample feed, around Key West (TEMP 72201 in the fixtures) and the German
// Bight (SYNOP 10015, Helgoland).
constexpr const char* kKeyWest =
    "KEYW 141453Z 07014G19KT 10SM BKN022 29/23 A2991 RMK AO2 SLP128 T02940233 51017";
constexpr const char* kMarathon =
    "KMTH 141453Z AUTO 07010KT 9SM SCT021 BKN028 BKN037 28/23 A2991 RMK AO2 SLP129";
constexpr const char* kMiami = "KMIA 141453Z 06010G20KT 10SM SCT029 BKN035 BKN065 28/21 A2994 RMK AO2 SLP140";
constexpr const char* kNordholz = "ETMN 141520Z 16006KT 9999 SCT220 15/05 Q1023 BLU+";
constexpr const char* kSydney = "YSSY 141500Z 16010KT CAVOK 18/10 Q1020";
constexpr const char* kGarbled = "KEYW 141453 07014G19KT";                     // no observation time
constexpr const char* kOutOfRange = "EDDF 141520Z 09009KT CAVOK 16/02 Q1995";  // a mistyped QNH

const ClMetar& Airports() {
  static const ClMetar airports = [] {
    ClMetar catalogue;
    EXPECT_TRUE(catalogue.LoadAirports(wxString::FromUTF8(testsupport::CataloguePath("airport.dat"))));
    return catalogue;
  }();
  return airports;
}

MetarRecord Station(const char* raw) {
  MetarRecord record;
  record.Raw = raw;
  EXPECT_TRUE(Airports().FindMetarStation(&record)) << raw;
  return record;
}

MetarRecord Garbled() {
  MetarRecord record = Station(kKeyWest);
  record.Raw = kGarbled;
  return record;
}

// The choice's shape: "GLOB" (the nearest station's copy) first, then farthest to nearest.
std::vector<MetarRecord> Selection(std::vector<MetarRecord> farthestFirst) {
  MetarRecord global = farthestFirst.back();
  global.Icao = kGlobalIcao;
  farthestFirst.insert(farthestFirst.begin(), global);
  return farthestFirst;
}

NewWeatherBytes MetarOnly(const char* raw, const OptionData& options = OptionData()) {
  MetarRecord metar = Station(raw);
  ClMetar decoder;
  EXPECT_TRUE(decoder.DecodeMetar(&metar));
  NewWeather record;
  ClConvertWeather converter(options);
  EXPECT_TRUE(converter.ConvertMetar(&record, &metar));
  return ToBytes(record);
}

NewWeatherBytes Renamed(NewWeatherBytes bytes, const char* icao) {
  std::memcpy(bytes.data() + offsetof(NewWeather, Icao), icao, 4);
  return bytes;
}

wxString Fixture(const char* name) { return testsupport::ReadLatin1(testsupport::FixturePath(name)); }

struct Recorder {
  std::vector<wxString> lines;
  LogLine Sink() {
    return [this](const wxString& line) { lines.push_back(line); };
  }
  bool Has(const wxString& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
  std::size_t Errors() const {
    return std::count_if(lines.begin(), lines.end(),
                         [](const wxString& l) { return l.StartsWith("Main: Error: "); });
  }
};

class ConversionRun : public ::testing::Test {
 protected:
  testsupport::ScopedWorkDir dir_;  // a failing check appends to "FSUIPC.err" here
  OptionData options_;
  Recorder log_;
  std::vector<UpperairRecord> ttaa_;
  std::vector<SynopRecord> synops_;

  ReportLookupLists Lists() {
    ReportLookupLists lists;
    lists.Ttaa = &ttaa_;
    lists.Synops = &synops_;
    return lists;
  }

  ConversionResult Run(std::vector<MetarRecord> selection) {
    return ConvertSelection(selection, Lists(), options_, log_.Sink());
  }

  // The record made step by step, as the options ask: the METAR, then its nearest sounding, then
  // its nearest SYNOP report.
  NewWeatherBytes Stepwise(const char* raw) {
    MetarRecord metar = Station(raw);
    ClMetar decoder;
    EXPECT_TRUE(decoder.DecodeMetar(&metar));
    NewWeather record;
    ClConvertWeather converter(options_);
    EXPECT_TRUE(converter.ConvertMetar(&record, &metar));
    const LogLine ignore = [](const wxString&) {};
    UpperairRecord upperair;
    if (options_.DwlUpperair) {
      EXPECT_TRUE(DecodeUpperairFor(&metar, &upperair, Lists(), ignore)) << raw;
      EXPECT_TRUE(converter.ConvertUpperair(&record, &upperair, &metar)) << raw;
    }
    SynopRecord synop;
    if (options_.DwlAddWeather && DecodeSynopFor(&metar, &synop, Lists(), ignore)) {
      EXPECT_TRUE(converter.ConvertSynop(&record, &synop, &metar)) << raw;
    }
    return ToBytes(record);
  }

  void LoadTemps() {
    const Upperair stations(wxString::FromUTF8(testsupport::FixturePath("station_catalogue_small.dat")));
    for (const wxString& piece : SplitBulletinPieces(Fixture("temp_bulletin_us_knots.txt"))) {
      UpperairRecord record;
      record.Raw = piece;
      if (piece.Contains("TTAA") && stations.FindTTAAStation(&record)) ttaa_.push_back(record);
    }
    ASSERT_FALSE(ttaa_.empty());
  }

  void LoadSynops() {
    const ClSynop stations(wxString::FromUTF8(testsupport::FixturePath("station_catalogue_small.dat")));
    for (const wxString& piece : SplitBulletinPieces(Fixture("synop_single_station_reports.txt"))) {
      SynopRecord record;
      record.Raw = piece;
      if (stations.FindSynopStation(&record)) synops_.push_back(record);
    }
    ASSERT_FALSE(synops_.empty());
  }
};

TEST_F(ConversionRun, EveryStationAndTheGlobalCopyOfTheNearest) {
  const ConversionResult result = Run(Selection({Station(kMiami), Station(kMarathon), Station(kKeyWest)}));
  ASSERT_EQ(result.Records.size(), 4u);
  EXPECT_EQ(ToBytes(result.Records[0]), Renamed(MetarOnly(kKeyWest), "GLOB"));
  EXPECT_EQ(ToBytes(result.Records[1]), MetarOnly(kMiami));
  EXPECT_EQ(ToBytes(result.Records[2]), MetarOnly(kMarathon));
  EXPECT_EQ(ToBytes(result.Records[3]), MetarOnly(kKeyWest));
  EXPECT_EQ(result.Label, "Success");
  const std::vector<wxString> expected = {"Main: Start convert WX to NewWeather",
                                          "Main: End convert WX to NewWeather"};
  EXPECT_EQ(log_.lines, expected);
}

// When the very nearest report is garbled, the simulator still gets its global weather, from the
// next nearest station that passes.
TEST_F(ConversionRun, GlobalWeatherComesFromTheNearestStationThatPasses) {
  const ConversionResult result = Run(Selection({Station(kMiami), Station(kMarathon), Garbled()}));
  ASSERT_EQ(result.Records.size(), 3u);
  EXPECT_EQ(ToBytes(result.Records[0]), Renamed(MetarOnly(kMarathon), "GLOB"));
  EXPECT_EQ(ToBytes(result.Records[2]), MetarOnly(kMarathon));
  EXPECT_TRUE(log_.Has(wxString("Main: Error: Decode Metar -> ") + kGarbled));
  EXPECT_EQ(log_.Errors(), 1u);
}

TEST_F(ConversionRun, NothingToSendWhenEveryStationFails) {
  MetarRecord outOfRange = Station(kOutOfRange);
  const ConversionResult result = Run(Selection({outOfRange, Garbled()}));
  EXPECT_TRUE(result.Records.empty());  // no global copy of nothing either
  EXPECT_EQ(result.Label, kNothingConvertedLabel);
  EXPECT_TRUE(log_.Has("Main: Error: Check NewWeather -> EDDF"));
  EXPECT_TRUE(log_.Has(wxString("Main: Error: Decode Metar -> ") + kGarbled));
}

TEST_F(ConversionRun, UpperAirEnabledButNoneLoadedSendsTheMetarAlone) {
  options_.DwlUpperair = true;
  const ConversionResult result = Run(Selection({Station(kKeyWest)}));
  ASSERT_EQ(result.Records.size(), 2u);
  EXPECT_EQ(ToBytes(result.Records[1]), MetarOnly(kKeyWest));
  EXPECT_EQ(log_.Errors(), 0u);
}

TEST_F(ConversionRun, NearestSoundingIsMergedAndAStationWithoutOneIsLeftOut) {
  LoadTemps();
  options_.DwlUpperair = true;
  std::vector<MetarRecord> selection = Selection({Station(kSydney), Station(kKeyWest)});
  const ConversionResult result = ConvertSelection(selection, Lists(), options_, log_.Sink());
  ASSERT_EQ(result.Records.size(), 2u);  // GLOB and Key West; Sydney has no sounding within 10000 km
  const NewWeatherBytes expected = Stepwise(kKeyWest);
  ASSERT_NE(expected, MetarOnly(kKeyWest));
  EXPECT_GT(result.Records[1].WindCount, 2u) << "the sounding's levels above the surface";
  EXPECT_EQ(ToBytes(result.Records[1]), expected);
  EXPECT_EQ(ToBytes(result.Records[0]), Renamed(expected, "GLOB"));
  EXPECT_EQ(selection[2].UpperairStation, "72201");
  EXPECT_GE(selection[2].UpperairDistance, 0);
  EXPECT_LT(selection[2].UpperairDistance, 10);
  const std::vector<wxString> expectedLog = {
      "Main: Start convert WX to NewWeather", "Main: Error: No founded Upperair from -> YSSY",
      "Main: Error: Decode Upperair -> ", "Main: End convert WX to NewWeather"};
  EXPECT_EQ(log_.lines, expectedLog);
}

TEST_F(ConversionRun, NearestSynopIsMergedAndAStationWithoutOneIsStillSent) {
  LoadSynops();
  options_.DwlAddWeather = true;
  std::vector<MetarRecord> selection = Selection({Station(kKeyWest), Station(kNordholz)});
  const ConversionResult result = ConvertSelection(selection, Lists(), options_, log_.Sink());
  ASSERT_EQ(result.Records.size(), 3u);
  EXPECT_EQ(ToBytes(result.Records[1]), MetarOnly(kKeyWest));
  const NewWeatherBytes expected = Stepwise(kNordholz);
  ASSERT_NE(expected, MetarOnly(kNordholz));
  EXPECT_EQ(ToBytes(result.Records[2]), expected);
  EXPECT_EQ(selection[2].SynopStation, "10015");  // Helgoland, about 65 km from Nordholz
  EXPECT_GT(selection[2].SynopDistance, 0);
  EXPECT_LT(selection[2].SynopDistance, 300);
  EXPECT_TRUE(log_.Has("Main: Error: No founded Synop from -> KEYW"));
  EXPECT_EQ(log_.Errors(), 1u);
}

// The sounding comes first: a station without one is left out before its SYNOP report is
// looked for.
TEST_F(ConversionRun, WithBothOnTheSoundingIsLookedForFirst) {
  LoadTemps();
  LoadSynops();
  options_.DwlUpperair = true;
  options_.DwlAddWeather = true;
  std::vector<MetarRecord> selection = Selection({Station(kSydney), Station(kKeyWest)});
  const ConversionResult result = ConvertSelection(selection, Lists(), options_, log_.Sink());
  ASSERT_EQ(result.Records.size(), 2u);
  EXPECT_EQ(ToBytes(result.Records[1]), Stepwise(kKeyWest));
  const std::vector<wxString> expectedLog = {
      "Main: Start convert WX to NewWeather", "Main: Error: No founded Upperair from -> YSSY",
      "Main: Error: Decode Upperair -> ", "Main: Error: No founded Synop from -> KEYW",
      "Main: End convert WX to NewWeather"};
  EXPECT_EQ(log_.lines, expectedLog);
}

TEST_F(ConversionRun, ChoiceAndConversionTogether) {
  std::vector<MetarRecord> stations(100);  // beyond every range
  for (MetarRecord& filler : stations) filler.Latitude = -89.0;
  for (const char* raw : {kMiami, kKeyWest, kMarathon, kSydney}) stations.push_back(Station(raw));
  const MetarRecord keyWest = Station(kKeyWest);
  StationChoice choice = ChooseStations(stations, keyWest.Latitude, keyWest.Longitude, options_, log_.Sink());
  const ConversionResult result = ConvertSelection(choice.Selection, Lists(), options_, log_.Sink());
  ASSERT_EQ(result.Records.size(), 4u);
  EXPECT_EQ(ToBytes(result.Records[0]), Renamed(MetarOnly(kKeyWest), "GLOB"));
  EXPECT_EQ(ToBytes(result.Records[1]), MetarOnly(kMiami));
  EXPECT_EQ(ToBytes(result.Records[3]), MetarOnly(kKeyWest));
}

}  // namespace
