#include "cycle/station_choice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "reports/geometry.h"

namespace {

constexpr double kAircraftLat = 50.0;
constexpr double kAircraftLon = 8.0;

double KmNorth(double latitude) { return DistanceKm(kAircraftLat, kAircraftLon, latitude, kAircraftLon); }

// A station the given kilometres north of the aircraft. atLeast: the measured distance is not
// below km (a station "at 300.0 km" must not measure 299.99999); otherwise not above it.
MetarRecord StationAtKm(const char* icao, double km, bool atLeast = false, const char* time = "121150Z") {
  double latitude = kAircraftLat + Rad2Deg(km / kEarthRadiusKm);
  while (atLeast ? KmNorth(latitude) < km : KmNorth(latitude) > km) {
    latitude += atLeast ? 1e-9 : -1e-9;  // about 0.1 mm
  }
  MetarRecord station;
  station.Icao = icao;
  station.Time = time;
  station.Raw = wxString(icao) + " " + time + " 27010KT 9999 FEW030 15/05 Q1013";
  station.Latitude = latitude;
  station.Longitude = kAircraftLon;
  return station;
}

MetarRecord StationAtNm(const char* icao, double nm, const char* time = "121150Z") {
  return StationAtKm(icao, nm * kKmPerNauticalMile, false, time);
}

// Far enough to be in no range and beyond the fallback radius too (about 15,500 km).
std::vector<MetarRecord> Filler(std::size_t count) {
  std::vector<MetarRecord> stations(count);
  for (std::size_t i = 0; i < count; ++i) {
    stations[i].Icao = wxString::Format("F%03d", static_cast<int>(i));
    stations[i].Time = "121150Z";
    stations[i].Latitude = -89.0;
  }
  return stations;
}

std::vector<MetarRecord> Loaded(std::vector<MetarRecord> near, std::size_t filler = 100) {
  std::vector<MetarRecord> stations = Filler(filler);
  stations.insert(stations.end(), near.begin(), near.end());
  return stations;
}

struct Recorder {
  std::vector<wxString> lines;
  LogLine Sink() {
    return [this](const wxString& line) { lines.push_back(line); };
  }
};

std::string Order(const StationChoice& choice) {
  std::string order;
  for (const MetarRecord& record : choice.Selection) {
    order += (order.empty() ? "" : ",") + record.Icao.ToStdString() + "@" + std::to_string(record.Distance);
  }
  return order;
}

StationChoice Choose(const std::vector<MetarRecord>& stations, std::int32_t range = 300) {
  OptionData options;
  options.wxRange = range;
  Recorder log;
  return ChooseStations(stations, kAircraftLat, kAircraftLon, options, log.Sink());
}

TEST(StationChoice, StationsWithinRangeFarthestFirstWithTheNearestAsGlob) {
  const StationChoice choice =
      Choose(Loaded({StationAtNm("EDDA", 150.5), StationAtNm("EDDB", 40.5), StationAtNm("EDDC", 90.5)}));
  EXPECT_EQ(choice.Outcome, ChoiceOutcome::kChosen);
  EXPECT_EQ(Order(choice), "GLOB@40,EDDA@150,EDDC@90,EDDB@40");
  // GLOB keeps everything of the nearest station but its code.
  EXPECT_EQ(choice.Selection.front().Raw, choice.Selection.back().Raw);
  EXPECT_EQ(choice.Selection.front().Latitude, choice.Selection.back().Latitude);
}

// The range option is compared with kilometres, strictly; the kept distance is whole miles.
TEST(StationChoice, RangeIsStrictAndInKilometres) {
  const struct {
    double km;
    bool atLeast;
    const char* order;
  } cases[] = {
      {299.9, false, "GLOB@53,EDDA@161,EDDB@53"},
      {300.0, true, "GLOB@53,EDDB@53"},
      {185.19, false, "GLOB@53,EDDA@99,EDDB@53"},
  };
  for (const auto& c : cases) {
    const StationChoice choice =
        Choose(Loaded({StationAtKm("EDDA", c.km, c.atLeast), StationAtKm("EDDB", 100.0)}));
    EXPECT_EQ(Order(choice), c.order) << c.km;
  }
}

TEST(StationChoice, NoStationInRangeChoosesTheSingleNearest) {
  const struct {
    const char* what;
    std::vector<MetarRecord> near;
    std::string order;
  } cases[] = {
      {"the nearer one", {StationAtKm("EDDY", 2000.0), StationAtKm("EDDX", 1500.0)}, "GLOB@809,EDDX@809"},
      // Of two at the same distance, the first in list order.
      {"a tie", {StationAtKm("EDDY", 1500.0), StationAtKm("EDDX", 1500.0)}, "GLOB@809,EDDY@809"},
  };
  for (const auto& c : cases) {
    const StationChoice choice = Choose(Loaded(c.near));
    EXPECT_EQ(choice.Outcome, ChoiceOutcome::kChosen) << c.what;
    EXPECT_EQ(Order(choice), c.order) << c.what;
    EXPECT_TRUE(choice.Label.empty()) << c.what;
  }
}

TEST(StationChoice, NothingWithinTheFallbackRadiusChoosesNothing) {
  const StationChoice choice = Choose(Filler(150));
  EXPECT_EQ(choice.Outcome, ChoiceOutcome::kNoStation);
  EXPECT_TRUE(choice.Selection.empty());  // no empty record, no GLOB copy of it
}

TEST(StationChoice, FewerThanAHundredLoadedReportsChooseNothingAndSayNothing) {
  const struct {
    std::size_t filler;
    ChoiceOutcome outcome;
    std::size_t lines;
  } cases[] = {{98, ChoiceOutcome::kTooFewStations, 0}, {99, ChoiceOutcome::kChosen, 4}};
  for (const auto& c : cases) {
    OptionData options;
    Recorder log;
    const StationChoice choice = ChooseStations(Loaded({StationAtNm("EDDA", 10.5)}, c.filler), kAircraftLat,
                                                kAircraftLon, options, log.Sink());
    EXPECT_EQ(choice.Outcome, c.outcome) << c.filler + 1;
    EXPECT_EQ(log.lines.size(), c.lines) << c.filler + 1;
  }
}

TEST(StationChoice, LogLinesOfAChoice) {
  OptionData options;
  Recorder log;
  ChooseStations(Loaded({StationAtNm("EDDA", 10.5)}), 50.004, 8.0, options, log.Sink());
  const std::vector<wxString> expected = {"Main: FS Aircraft pos: 50.00, 8.00", "Main: nearest Airport",
                                          "Main: sort Airport", "Main: Insert GLOB in Vector"};
  EXPECT_EQ(log.lines, expected);
}

TEST(StationChoice, LabelNamesTheLastStationInListOrderAndTheCount) {
  std::vector<MetarRecord> near;
  for (int i = 0; i < 12; ++i)
    near.push_back(StationAtNm(wxString::Format("ED%02d", i).c_str(), 20.5 + 7 * (i % 5)));
  const StationChoice choice = Choose(Loaded(near));
  EXPECT_EQ(choice.Label, "nearest Airport: ED11, 12 ");
  EXPECT_EQ(choice.Selection.size(), 13u);
}

// A feed carries an hour of METAR and SPECI: one record per station, its latest observation.
TEST(StationChoice, OneRecordPerStationTheLatestObservation) {
  const struct {
    const char* first;
    const char* second;
    const char* kept;
  } cases[] = {
      {"121150Z", "121220Z", "121220Z"},
      {"121220Z", "121150Z", "121220Z"},
      {"312350Z", "010020Z", "010020Z"},  // across the month's end
      {"010020Z", "312350Z", "010020Z"},
      {"121150Z", "121150Z", "second"},  // equal times: the later line (a correction)
      {"garbage", "121150Z", "121150Z"},
  };
  for (const auto& c : cases) {
    for (const double nm : {10.5, 900.0}) {  // within range, and as the single nearest
      MetarRecord a = StationAtNm("EDDF", nm, c.first);
      MetarRecord b = StationAtNm("EDDF", nm, c.second);
      b.Raw += " second";
      const StationChoice choice = Choose(Loaded({a, StationAtNm("EDDS", nm + 30.0), b}));
      const std::size_t expected = nm < 300.0 ? 3u : 2u;
      ASSERT_EQ(choice.Selection.size(), expected) << c.first << " " << c.second << " " << nm;
      const MetarRecord& kept = choice.Selection.back();
      EXPECT_EQ(kept.Icao, "EDDF");
      if (std::string(c.kept) == "second") {
        EXPECT_TRUE(kept.Raw.EndsWith(" second")) << c.first;
      } else {
        EXPECT_EQ(kept.Time, c.kept) << c.first << " " << c.second << " " << nm;
      }
    }
  }
}

TEST(StationChoice, LaterObservation) {
  const struct {
    const char* time;
    const char* other;
    bool later;
  } cases[] = {
      {"121220Z", "121150Z", true},  {"121150Z", "121220Z", false}, {"121150Z", "121150Z", false},
      {"010000Z", "312359Z", true},  {"312359Z", "010000Z", false}, {"150000Z", "010000Z", true},
      {"121150Z", "", true},         {"", "121150Z", false},        {"321150Z", "121150Z", false},
      {"122450Z", "121150Z", false}, {"12115Z", "121150Z", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsLaterObservation(c.time, c.other), c.later) << c.time << " " << c.other;
}

TEST(StationDisplay, NearestByWholeKilometresFirstInListOrder) {
  const struct {
    std::vector<double> km;
    std::int32_t index;
    std::int32_t shownKm;
  } cases[] = {
      {{12.7}, 0, 12},
      {{12.7, 12.3}, 0, 12},  // 12.3 is not less than the truncated 12
      {{12.7, 11.9}, 1, 11},
      {{}, -1, 10000},
  };
  for (const auto& c : cases) {
    std::vector<MetarRecord> stations = Filler(3);  // about 15,500 km away: never shown
    for (const double km : c.km) stations.push_back(StationAtKm("EDDA", km));
    std::int32_t km = 0;
    EXPECT_EQ(NearestStationForDisplay(stations, kAircraftLat, kAircraftLon, km),
              c.index < 0 ? -1 : c.index + 3);
    EXPECT_EQ(km, c.shownKm);
  }
  EXPECT_EQ(DistanceLine(12), "Distance to: 6.5 NM");
}

}  // namespace
