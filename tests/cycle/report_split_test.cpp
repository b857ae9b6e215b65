#include "cycle/report_split.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/test_paths.h"
#include "reports/metar.h"

namespace {

using testsupport::CataloguePath;
using testsupport::FixturePath;
using testsupport::ReadBytes;

struct SeenItem {
  SplitStep step;
  int number;
  int count;
  int errors;
};

// Records what the split reports; stops it after a chosen number of items.
class RecordingReporter : public SplitReporter {
 public:
  void Preparing() override { ++preparing; }
  void Counted(SplitStep, int count) override { ranges.push_back(count); }
  void Item(SplitStep step, int number, int count, int errors) override {
    items.push_back({step, number, count, errors});
  }
  bool AfterItem() override { return stopAfter < 0 || static_cast<int>(items.size()) < stopAfter; }
  bool KeepGoing() override {
    ++keepGoingAsked;
    return !stopInsidePasses;
  }
  void Counts(const wxString& text) override { counts.push_back(text); }
  void AirportsMissing(const wxString& problem) override {
    ++airportsMissing;
    problems.push_back(problem);
  }

  wxString LastLabel() const {
    const SeenItem& last = items.back();
    return SplitItemLabel(last.step, last.number, last.count, last.errors);
  }

  int stopAfter = -1;
  bool stopInsidePasses = false;  // every pass over a text is told to stop when it asks
  int keepGoingAsked = 0;
  int preparing = 0;
  int airportsMissing = 0;
  std::vector<wxString> problems;
  std::vector<int> ranges;
  std::vector<SeenItem> items;
  std::vector<wxString> counts;
};

class ReportSplitTest : public ::testing::Test {
 protected:
  ReportSplitTest()
      : upperair(wxString(FixturePath("station_catalogue_small.dat"))),
        synop(wxString(FixturePath("station_catalogue_small.dat"))),
        split(upperair, synop, wxString(FixturePath("airport-three-stations.dat"))) {}

  Upperair upperair;
  ClSynop synop;
  ReportSplit split;
  RecordingReporter reporter;
  LoadedLists lists;
};

TEST(SplitItemLabel, TheLoadersOwnTexts) {
  EXPECT_EQ(SplitItemLabel(SplitStep::kMetar, 2, 2, 1), "Init Metar 2 from 2, Error:1 ");
  EXPECT_EQ(SplitItemLabel(SplitStep::kUpperair, 3, 3, 0), "Init Upperair 3 from 3, Error: 0 ");
  EXPECT_EQ(SplitItemLabel(SplitStep::kSynop, 1, 7, 1), "Init Synop 1 from 7, Error: 1 ");
}

TEST_F(ReportSplitTest, AnEmptyLineIsNoReportAndAnUnknownStationAnError) {
  const wxString text = wxS("EDDF 121150Z 27010KT 9999 FEW030 15/05 Q1013\r\n\r\nZZZZ 121150Z 00000KT\r\n");
  ASSERT_TRUE(split.InitMetar(text, lists.Stations, reporter));
  EXPECT_EQ(reporter.ranges, std::vector<int>{2});
  ASSERT_EQ(reporter.items.size(), 2u);
  EXPECT_EQ(reporter.LastLabel(), "Init Metar 2 from 2, Error:1 ");
  ASSERT_EQ(lists.Stations.size(), 1u);
  const MetarRecord& eddf = lists.Stations[0];
  EXPECT_EQ(eddf.Icao, "EDDF");
  EXPECT_EQ(eddf.Time, "121150Z");
  EXPECT_EQ(eddf.Name, "Frankfurt Main");
  EXPECT_NEAR(eddf.Latitude, 50.0333, 1e-3);
  EXPECT_EQ(eddf.Raw, "EDDF 121150Z 27010KT 9999 FEW030 15/05 Q1013");
}

TEST_F(ReportSplitTest, UpperAirPartsNotAskedForAreNoErrors) {
  const wxString text =
      wxS("TTAA 62121 72201 99019 22856 13007 00141 22257 13508=\n"
          "TTBB 6212/ 72201 00019 22856 11975 20056=\n");
  ASSERT_TRUE(split.InitUpperair(text, lists, reporter));
  EXPECT_EQ(reporter.ranges, std::vector<int>{3});  // two parts and the trailing line break
  EXPECT_EQ(reporter.LastLabel(), "Init Upperair 3 from 3, Error: 0 ");
  ASSERT_EQ(lists.Ttaa.size(), 1u);
  EXPECT_EQ(lists.Ttaa[0].Station.Id, "72201");
  EXPECT_TRUE(lists.Ttaa[0].Levels.empty());  // identified, not decoded
  EXPECT_TRUE(lists.Ttbb.empty());

  LoadedLists withParts;
  RecordingReporter second;
  split.SetParts(true, true);
  // A piece that names both parts is a TTAA part.
  ASSERT_TRUE(split.InitUpperair(
      text + wxS("TTAA 62121 99999 99019 22856 13007=\n") + wxS("TTAA 62121 72201 99019 22856 13007 TTBB=\n"),
      withParts, second));
  EXPECT_EQ(second.LastLabel(), "Init Upperair 5 from 5, Error: 1 ");  // only the unknown TTAA counts
  ASSERT_EQ(withParts.Ttaa.size(), 2u);
  EXPECT_TRUE(withParts.Ttaa[1].Raw.Contains("TTBB"));
  EXPECT_EQ(withParts.Ttbb.size(), 1u);
}

TEST_F(ReportSplitTest, EveryStationOfAMultiStationSynopBulletin) {
  const wxString text = testsupport::ReadLatin1(FixturePath("synop_multi_station_bulletins.txt"));
  ASSERT_TRUE(split.InitSynop(text, lists.Synops, reporter));
  std::vector<wxString> ids;
  for (const SynopRecord& r : lists.Synops) ids.push_back(r.Station.Id);
  const std::vector<wxString> expected = {"11036", "11010", "11120", "11150", "11240", "78255",
                                          "11816", "11826", "11903", "11934", "11968"};
  EXPECT_EQ(ids, expected);                         // the NIL reports and the ship section are left out
  EXPECT_EQ(lists.Synops[1].Header, "AAXX 19001");  // the second station of its bulletin
  const SeenItem& last = reporter.items.back();
  EXPECT_EQ(last.errors, last.count - 11);  // every other piece counts, the trailing one too
  EXPECT_EQ(reporter.preparing, 1);
}

TEST_F(ReportSplitTest, TheTrailingSynopPieceIsAlwaysAnError) {
  const wxString text = wxS("AAXX 19001 11036 32565 73208 10000 21038 30065 40306 57008=\n");
  ASSERT_TRUE(split.InitSynop(text, lists.Synops, reporter));
  EXPECT_EQ(lists.Synops.size(), 1u);
  EXPECT_EQ(reporter.LastLabel(), "Init Synop 2 from 2, Error: 1 ");
}

TEST_F(ReportSplitTest, TheCountsOfEachStepGoToStatusFieldOne) {
  const FeedTexts texts{wxS("EDDF 121150Z 27010KT\nKJFK 121151Z 18005KT\n"),
                        wxS("TTAA 62121 72201 99019 22856 13007=\n"), wxString()};
  ASSERT_TRUE(split.Run(texts, lists, reporter));
  const std::vector<wxString> expected = {"Metar: 2", "Metar: 2 Upperair: 1",
                                          "Metar: 2 Upperair: 1 Synop: 0"};
  EXPECT_EQ(reporter.counts, expected);
  EXPECT_EQ(reporter.ranges, (std::vector<int>{2, 2, 0}));  // an empty text gives no item
}

TEST_F(ReportSplitTest, WithoutAirportsNoMetarButTheOtherStepsStillRun) {
  ReportSplit noAirports(upperair, synop, wxS("/nonexistent/airport.dat"));
  const FeedTexts texts{wxS("EDDF 121150Z 27010KT\n"), wxS("TTAA 62121 72201 99019 22856 13007=\n"),
                        wxString()};
  ASSERT_TRUE(noAirports.Run(texts, lists, reporter));
  EXPECT_EQ(reporter.airportsMissing, 1);
  EXPECT_EQ(reporter.problems, std::vector<wxString>{wxString()});  // missing: nothing more to say
  EXPECT_TRUE(lists.Stations.empty());
  EXPECT_EQ(lists.Ttaa.size(), 1u);
  EXPECT_EQ(reporter.counts.back(), "Metar: 0 Upperair: 1 Synop: 0");
}

TEST_F(ReportSplitTest, AStopBetweenTwoItemsEndsTheSplit) {
  reporter.stopAfter = 1;
  const FeedTexts texts{wxS("EDDF 121150Z 27010KT\nKJFK 121151Z 18005KT\n"), wxString(), wxString()};
  EXPECT_FALSE(split.Run(texts, lists, reporter));
  EXPECT_EQ(reporter.items.size(), 1u);
  EXPECT_TRUE(reporter.counts.empty());
}

// The reports of the text that the catalogue identifies, found line by line on their own.
std::vector<wxString> IdentifiedLines(const std::string& bytes, const wxString& airports) {
  ClMetar catalogue;
  EXPECT_TRUE(catalogue.LoadAirports(airports));
  std::vector<wxString> found;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) {
      MetarRecord record;
      record.Raw = wxString(bytes.data() + start, wxConvISO8859_1, end - start);
      if (catalogue.FindMetarStation(&record)) found.push_back(record.Raw);
    }
    start = end + 1;
  }
  return found;
}

// The whole real sample: date lines, junk and repeated stations included.
TEST(ReportSplitRealFeed, EveryIdentifiedReportOfTheSampleOnceAndInOrder) {
  const wxString airports(CataloguePath("airport.dat"));
  const Upperair upperair(wxString(CataloguePath("station.dat")));
  const ClSynop synop(wxString(CataloguePath("station.dat")));
  ReportSplit split(upperair, synop, airports);
  const std::string bytes = ReadBytes(testsupport::SharedDataPath("metar-cycle-sample.txt"));
  FeedTexts texts;
  texts.Metar = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
  LoadedLists lists;
  RecordingReporter reporter;
  ASSERT_TRUE(split.Run(texts, lists, reporter));

  const std::vector<wxString> expected = IdentifiedLines(bytes, airports);
  ASSERT_GT(expected.size(), 5000u);
  std::vector<wxString> raws;
  for (const MetarRecord& r : lists.Stations) raws.push_back(r.Raw);
  EXPECT_EQ(raws, expected);
  const int count = static_cast<int>(expected.size());
  EXPECT_EQ(reporter.counts.back(), wxString::Format("Metar: %i Upperair: 0 Synop: 0", count));
  ASSERT_FALSE(reporter.items.empty());
  const SeenItem& last = reporter.items.back();
  EXPECT_EQ(last.number, last.count);
  EXPECT_EQ(last.count - last.errors, count);
}

// Every split sees "airport.dat" as it is now: a station added, the same size rewritten (within
// the same second, or copied with its time kept: only the bytes differ), the file gone, back
// again. Every file here bears the same time.
TEST(ReportSplitCatalogue, EverySplitSeesTheAirportCatalogueAsItIsNow) {
  testsupport::ScopedWorkDir dir;
  const Upperair upperair(wxString(FixturePath("station_catalogue_small.dat")));
  const ClSynop synop(wxString(FixturePath("station_catalogue_small.dat")));
  ReportSplit split(upperair, synop, wxS("airport.dat"));
  const wxString text =
      wxS("EDDF 121150Z 27010KT 9999 FEW030 15/05 Q1013\nEDDM 121150Z 27013KT CAVOK 08/05 Q1018\n"
          "EGLL 121150Z 27013KT CAVOK 08/05 Q1018\n");
  const struct {
    const char* catalogue;  // null: no file
    std::vector<wxString> identified;
  } steps[] = {
      {"EDDF,Frankfurt Main,364,50.0333,8.5706\r\n", {"EDDF"}},
      {"EDDF,Frankfurt Main,364,50.0333,8.5706\r\n", {"EDDF"}},  // unchanged
      {"EDDM,Frankfurt Main,364,50.0333,8.5706\r\n", {"EDDM"}},  // the same size
      {"EDDF,Frankfurt Main,364,50.0333,8.5706\r\nEGLL,London Heathrow,83,51.4775,-0.4614\r\n",
       {"EDDF", "EGLL"}},
      {nullptr, {}},
      {"EGLL,London Heathrow,83,51.4775,-0.4614\r\n", {"EGLL"}},
  };
  const wxDateTime oneTime(1, wxDateTime::Mar, 2024, 12, 0, 0);
  for (const auto& step : steps) {
    std::remove("airport.dat");
    if (step.catalogue != nullptr) {
      testsupport::WriteBytes("airport.dat", step.catalogue);
      ASSERT_TRUE(wxFileName(wxS("airport.dat")).SetTimes(&oneTime, &oneTime, nullptr));
    }
    RecordingReporter reporter;
    std::vector<MetarRecord> stations;
    ASSERT_TRUE(split.InitMetar(text, stations, reporter));
    std::vector<wxString> identified;
    for (const MetarRecord& r : stations) identified.push_back(r.Icao);
    const char* name = step.catalogue ? step.catalogue : "none";
    EXPECT_EQ(identified, step.identified) << name;
    EXPECT_EQ(reporter.airportsMissing, step.catalogue == nullptr ? 1 : 0) << name;
  }
}

// A stop asked while a step reads through a whole text (cutting its lines or pieces) ends the
// step before its first item, however the text is made.
TEST_F(ReportSplitTest, AStopInsideAPassOverAHugeTextEndsTheStepAtOnce) {
  constexpr std::size_t kChars = 1 << 20;
  const wxString texts[] = {
      wxString(kChars, '=') + wxS("A"),
      wxString(kChars, ' '),
      wxS("EDDF 121150Z ") + wxString(kChars, 'A'),
      wxString(kChars, '\n') + wxS("EDDF 121150Z 27010KT\n"),
      wxString(kChars, wxUniChar(0)),
  };
  const struct {
    SplitStep step;
    const char* name;
  } steps[] = {
      {SplitStep::kMetar, "METAR"}, {SplitStep::kUpperair, "upper air"}, {SplitStep::kSynop, "SYNOP"}};
  for (const wxString& text : texts) {
    for (const auto& s : steps) {
      RecordingReporter stopping;
      stopping.stopInsidePasses = true;
      LoadedLists none;
      bool whole = true;
      if (s.step == SplitStep::kMetar) whole = split.InitMetar(text, none.Stations, stopping);
      if (s.step == SplitStep::kUpperair) whole = split.InitUpperair(text, none, stopping);
      if (s.step == SplitStep::kSynop) whole = split.InitSynop(text, none.Synops, stopping);
      EXPECT_FALSE(whole) << s.name;
      EXPECT_EQ(stopping.keepGoingAsked, 1) << s.name;
      EXPECT_TRUE(stopping.ranges.empty()) << s.name;
      EXPECT_TRUE(stopping.items.empty()) << s.name;
    }
  }

  // The whole split ends with the step that was stopped.
  reporter.stopInsidePasses = true;
  const FeedTexts feed{wxS("EDDF 121150Z 27010KT\n"), texts[0], texts[0]};
  EXPECT_FALSE(split.Run(feed, lists, reporter));
  EXPECT_EQ(reporter.counts, std::vector<wxString>{"Metar: 1"});
  EXPECT_EQ(reporter.ranges, std::vector<int>{1});
}

}  // namespace
