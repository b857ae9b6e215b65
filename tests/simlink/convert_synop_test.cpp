#include <gtest/gtest.h>

#include <vector>

#include "reports/synop_record.h"
#include "simlink/convert_weather.h"

namespace {

MetarRecord Metar(std::int32_t elevationFt, std::vector<CloudLayer> clouds, const char* time = "141400Z") {
  MetarRecord metar;
  metar.Icao = wxS("EDDF");
  metar.Time = wxString::FromUTF8(time);
  metar.Elevation = elevationFt;
  metar.WindDirection = 240;
  metar.WindSpeed = 10;
  metar.Visibility = kUnrestrictedVisibilityM;
  metar.Clouds = std::move(clouds);
  metar.SynopDistance = 40;
  return metar;
}

SynopRecord Synop(std::uint8_t low, std::uint8_t middle, std::uint8_t high, double visibilityNm = 30.0,
                  const char* time = "1412") {
  SynopRecord synop;
  synop.Station.Time = wxString::FromUTF8(time);
  synop.Visibility = visibilityNm;
  synop.LowCloudType = low;
  synop.MiddleCloudType = middle;
  synop.HighCloudType = high;
  return synop;
}

OptionData Options(bool mixed, bool cirrus, std::int32_t layers = 16) {
  OptionData options;
  options.Cloudmixed = mixed;
  options.GenerateCirus = cirrus;
  options.Cloudlayer = layers;
  return options;
}

NewWeather Convert(const MetarRecord& metar, const SynopRecord& synop, const OptionData& options) {
  ClConvertWeather converter(options);
  NewWeather record;
  converter.ConvertMetar(&record, &metar);
  EXPECT_TRUE(converter.ConvertSynop(&record, &synop, &metar));
  return record;
}

TEST(ConvertSynop, FreshSynopGivesTheVisibility) {
  struct Case {
    const char* name;
    const char* metarTime;
    const char* synopTime;
    std::int32_t distanceKm;
    bool fresh;
  };
  const Case cases[] = {
      {"two hours older", "141400Z", "1412", 40, true},
      {"three hours older", "141500Z", "1412", 40, false},
      {"over midnight", "150100Z", "1423", 40, true},
      {"newer METAR day, older hour", "142300Z", "1500", 40, false},
      {"60 km away", "141400Z", "1412", 60, false},
      {"59 km away", "141400Z", "1412", 59, true},
      {"no distance", "141400Z", "1412", -1, false},
      {"SYNOP without time", "141400Z", "", 40, false},
      {"SYNOP time too short", "141400Z", "141", 40, false},
      {"METAR time too short", "14", "1412", 40, false},
      {"hour that is no number counts as 0", "14xx00Z", "14xx", 40, true},
  };
  for (const Case& c : cases) {
    MetarRecord metar = Metar(0, {}, c.metarTime);
    metar.SynopDistance = c.distanceKm;
    const NewWeather r = Convert(metar, Synop(10, 10, 10, 30.0, c.synopTime), Options(false, false));
    EXPECT_EQ(r.VisRange, c.fresh ? 3489 : 1884) << c.name;
    EXPECT_EQ(r.UpperVisCount, c.fresh ? 2 : 0) << c.name;
  }
}

TEST(ConvertSynop, VisibilityLayers) {
  const NewWeather r = Convert(Metar(0, {}), Synop(10, 10, 10, 30.0), Options(false, false));
  EXPECT_EQ(r.VisRange, 3489);  // trunc(30 * 1.852 / 1.592 * 100)
  EXPECT_EQ(r.UpperVis[0].UpperAlt, 1523);
  EXPECT_EQ(r.UpperVis[0].LowerAlt, -30);
  EXPECT_EQ(r.UpperVis[0].Range, 3489);
  EXPECT_EQ(r.UpperVis[1].UpperAlt, 2523);
  EXPECT_EQ(r.UpperVis[1].LowerAlt, 1523);
  EXPECT_EQ(r.UpperVis[1].Range, 3689);
  EXPECT_EQ(r.UpperVis[1].Spare, 0);

  MetarRecord hazy = Metar(0, {});
  hazy.Visibility = 8000;
  EXPECT_EQ(Convert(hazy, Synop(10, 10, 10, 30.0), Options(false, false)).VisRange, 502);
  // A SYNOP that gives no visibility leaves the METAR's.
  const NewWeather none = Convert(Metar(0, {}), Synop(10, 10, 10, -1.0), Options(false, false));
  EXPECT_EQ(none.VisRange, 1884);
  EXPECT_EQ(none.UpperVisCount, 0);
  // Beyond the field the range saturates rather than wrapping to a short one.
  EXPECT_EQ(Convert(Metar(0, {}), Synop(10, 10, 10, 1000.0), Options(false, false)).VisRange, 65535);
}

struct Layer {
  std::uint16_t lower;
  std::uint16_t upper;
  std::uint8_t type;
  std::uint8_t cover;
};

void ExpectLayers(const NewWeather& r, const std::vector<Layer>& layers, const char* name) {
  ASSERT_EQ(r.CloudCount, static_cast<std::int32_t>(layers.size())) << name;
  for (std::size_t k = 0; k < layers.size(); ++k) {
    EXPECT_EQ(r.Cloud[k].LowerAlt, layers[k].lower) << name << ", layer " << k;
    EXPECT_EQ(r.Cloud[k].UpperAlt, layers[k].upper) << name << ", layer " << k;
    EXPECT_EQ(r.Cloud[k].Type, layers[k].type) << name << ", layer " << k;
    EXPECT_EQ(r.Cloud[k].Coverage, layers[k].cover) << name << ", layer " << k;
  }
}

TEST(ConvertSynop, CloudTypesShapeTheMetarLayers) {
  struct Case {
    const char* name;
    std::vector<CloudLayer> clouds;
    std::uint8_t low, middle, high;
    bool mixed, cirrus;
    std::int32_t limit;
    std::vector<Layer> expected;
  };
  const CloudLayer few020{1, 2000, wxString()};
  const CloudLayer bkn040{3, 4000, wxString()};
  const CloudLayer sct100{2, 10000, wxString()};
  const CloudLayer bkn250{3, 25000, wxString()};
  const Case cases[] = {
      {"FEW020 CL 1", {few020}, 1, 10, 10, false, false, 16, {{609, 909, 9, 2}}},
      {"BKN040 CL 8 mixed",
       {bkn040},
       8,
       10,
       10,
       true,
       false,
       16,
       {{1219, 2219, 9, 6}, {1269, 2269, 8, 6}, {2219, 3219, 9, 6}, {2269, 3269, 8, 6}}},
      {"BKN040 CL 8 plain", {bkn040}, 8, 10, 10, false, false, 16, {{1219, 2219, 9, 6}}},
      {"CL 6 stratus", {bkn040}, 6, 10, 10, false, false, 16, {{1219, 2219, 8, 6}}},
      {"CL 9 mixed", {bkn040}, 9, 10, 10, true, false, 16, {{1219, 4219, 9, 6}, {1169, 2219, 8, 6}}},
      {"SCT100 CM 7 mixed", {sct100}, 10, 7, 10, true, false, 16, {{3047, 5047, 9, 4}, {3097, 5097, 8, 4}}},
      {"SCT100 CM 9 mixed", {sct100}, 10, 9, 10, true, false, 16, {{3047, 5047, 9, 4}, {2997, 4997, 8, 4}}},
      {"SCT100 CM 2", {sct100}, 10, 2, 10, false, false, 16, {{3047, 6047, 8, 4}}},
      {"BKN250 CH 6", {bkn250}, 10, 10, 6, false, true, 16, {{7619, 8619, 1, 6}}},
      {"BKN250 CH 9", {bkn250}, 10, 10, 9, false, true, 16, {{7619, 8119, 9, 6}}},
      // No cloud-type group: the METAR's layers stay, with a cirrus layer behind them.
      {"no group, cirrus",
       {few020, bkn040},
       10,
       10,
       10,
       false,
       true,
       16,
       {{609, 4609, 9, 2}, {1219, 5219, 9, 6}, {9143, 9243, 1, 5}}},
      {"no clouds, CH 2 cirrus", {}, 10, 10, 2, false, true, 16, {{9143, 9743, 1, 5}}},
      {"no clouds, CH 7", {}, 10, 10, 7, false, true, 16, {{9143, 9243, 8, 5}}},
      {"no clouds, CH above 10", {}, 10, 10, 11, false, true, 16, {}},
      {"no clouds, no cirrus option", {}, 10, 10, 2, false, false, 16, {}},
      {"high METAR layer: no cirrus",
       {few020, bkn250},
       1,
       10,
       6,
       false,
       true,
       16,
       {{609, 909, 9, 2}, {7619, 8619, 1, 6}}},
      {"codes above 10 write nothing", {few020, bkn040}, 11, 10, 10, false, false, 16, {}},
      {"limit 3 of five, then cirrus",
       {few020, few020, few020, few020, few020},
       1,
       10,
       10,
       false,
       true,
       3,
       {{609, 909, 9, 2}, {609, 909, 9, 2}, {609, 909, 9, 2}, {9143, 9243, 1, 5}}},
      // A hand-edited limit below 0 keeps no SYNOP layer rather than a negative count.
      {"limit -2", {few020}, 1, 10, 10, false, true, -2, {{9143, 9243, 1, 5}}},
  };
  for (const Case& c : cases) {
    MetarRecord metar = Metar(0, c.clouds);
    metar.PresentWeather = wxS("-RA ");
    const NewWeather r = Convert(metar, Synop(c.low, c.middle, c.high), Options(c.mixed, c.cirrus, c.limit));
    ExpectLayers(r, c.expected, c.name);
  }
}

TEST(ConvertSynop, CumulonimbusTowersInAThunderstorm) {
  MetarRecord metar = Metar(0, {{3, 4000, wxS("CB")}});
  metar.PresentWeather = wxS("TSRA ");
  const NewWeather r = Convert(metar, Synop(9, 10, 10), Options(false, false));
  ExpectLayers(r, {{1219, 11219, 9, 6}}, "TS");
  EXPECT_EQ(r.Cloud[0].Deviation, 2000);
  EXPECT_EQ(r.Cloud[0].Turbulence, 3);
  EXPECT_EQ(r.Cloud[0].PrecipType, 1);  // kept from the METAR conversion
}

TEST(ConvertSynop, NeverMoreThanSixteenLayers) {
  std::vector<CloudLayer> clouds(6, CloudLayer{3, 4000, wxString()});
  const NewWeather mixed = Convert(Metar(0, clouds), Synop(8, 10, 10), Options(true, true, 16));
  EXPECT_EQ(mixed.CloudCount, 16);  // 24 mixed layers, no room left for the cirrus layer
  EXPECT_EQ(mixed.Cloud[15].Type, 8);
  EXPECT_EQ(mixed.Reserved896[0], 0);

  std::vector<CloudLayer> sixteen(16, CloudLayer{1, 2000, wxString()});
  const NewWeather full = Convert(Metar(0, sixteen), Synop(10, 10, 10), Options(false, true, 16));
  EXPECT_EQ(full.CloudCount, 16);
  EXPECT_EQ(full.Cloud[15].LowerAlt, 609);
}

TEST(ConvertSynop, UpperAltitudeNeverBelowLower) {
  // An extra layer 50 m below a main layer at the ground cannot go below 0 m.
  const NewWeather r = Convert(Metar(0, {{4, 0, wxString()}}), Synop(9, 10, 10), Options(true, false));
  ASSERT_EQ(r.CloudCount, 2);
  EXPECT_EQ(r.Cloud[1].LowerAlt, 0);
  EXPECT_EQ(r.Cloud[1].UpperAlt, 1000);
  for (int k = 0; k < r.CloudCount; ++k) EXPECT_GE(r.Cloud[k].UpperAlt, r.Cloud[k].LowerAlt) << k;
}

}  // namespace
