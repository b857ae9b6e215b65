// Lines and pieces far longer than any real report, as a broken feed delivers them: the decoders
// refuse them before any pattern runs, and take everything up to the limit as before. The broken
// inputs are about 40 KB: long enough that reading the whole rest again for every group would
// show, short enough that such a regression fails on its result instead of holding the run.

#include <gtest/gtest.h>

#include "common/test_paths.h"
#include "reports/metar.h"
#include "reports/synop.h"

namespace {

wxString Repeated(const char* head, const char* group, std::size_t times, const char* tail) {
  wxString text = head;
  for (std::size_t i = 0; i < times; ++i) text += group;
  return text + tail;
}

// A remark of filler that brings the line to exactly length characters.
wxString PaddedTo(const char* report, std::size_t length) {
  wxString text = wxString(report) + " RMK ";
  return text + wxString('X', length - text.length());
}

const char* kMetarHead = "EDDF 121200Z 27010KT 9999 ";
const char* kMetarTail = "16/04 Q1009";

struct MetarCase {
  const char* what;
  wxString line;
  bool taken;
  std::size_t clouds;
};

TEST(OverlongReports, MetarLines) {
  const MetarCase cases[] = {
      {"runway ranges up to the limit", Repeated(kMetarHead, "R27L/1000 ", 190, kMetarTail), true, 0},
      {"runway ranges of a broken feed", Repeated(kMetarHead, "R27L/1000 ", 4000, kMetarTail), false, 0},
      {"cloud groups up to the limit", Repeated(kMetarHead, "FEW010 ", 270, kMetarTail), true, 270},
      {"cloud groups of a broken feed", Repeated(kMetarHead, "FEW010 ", 6000, kMetarTail), false, 0},
      {"at the limit", PaddedTo("EDDF 121200Z 27010KT 9999 FEW010 16/04 Q1009", kMaxMetarLength), true, 1},
      {"one past the limit", PaddedTo("EDDF 121200Z 27010KT 9999 FEW010 16/04 Q1009", kMaxMetarLength + 1),
       false, 0},
  };
  ClMetar catalogue;
  catalogue.AddAirports(wxS("EDDF,Frankfurt Main,364,50.0333,8.5706\n"));
  for (const auto& c : cases) {
    MetarRecord record;
    record.Raw = c.line;
    EXPECT_EQ(catalogue.FindMetarStation(&record), c.taken) << c.what;
    EXPECT_EQ(record.Icao, c.taken ? wxS("EDDF") : wxString()) << c.what;  // nothing read when refused
    ClMetar decoder;
    EXPECT_EQ(decoder.DecodeMetar(&record), c.taken) << c.what;
    EXPECT_EQ(record.Clouds.size(), c.clouds) << c.what;
    EXPECT_EQ(record.Pressure, c.taken ? 1009 : 1013) << c.what;  // refused: the defaults
    EXPECT_EQ(record.Temperature, c.taken ? 16 : 15) << c.what;
  }
}

const char* kSynopHead = "AAXX 19001 10015 41480 72504 ";

struct SynopCase {
  const char* what;
  wxString raw;
  wxString header;
  bool taken;
  int lowCloudType;  // of the last 8NhCLCMCH group
  const char* headerAfter;
};

TEST(OverlongReports, SynopPieces) {
  constexpr int kNone = kSynopCloudTypeNotGiven;
  const wxString longHeader('A', kMaxSynopPieceLength + 1);
  const SynopCase cases[] = {
      {"groups up to the limit", Repeated(kSynopHead, "83630 ", 600, ""), "", true, 6, "AAXX 19001"},
      {"groups of a broken feed", Repeated(kSynopHead, "83630 ", 7000, ""), "", false, kNone, ""},
      {"headers up to the limit", Repeated(kSynopHead, "AAXX 19061 ", 350, ""), "", true, kNone,
       "AAXX 19061"},
      {"headers of a broken feed", Repeated(kSynopHead, "AAXX 19061 ", 4000, ""), "", false, kNone, ""},
      {"at the limit", PaddedTo("AAXX 19001 10015 41480 72504 83630", kMaxSynopPieceLength), "", true, 6,
       "AAXX 19001"},
      {"one past the limit", PaddedTo("AAXX 19001 10015 41480 72504 83630", kMaxSynopPieceLength + 1), "",
       false, kNone, ""},
      {"carried header past the limit", "10015 41480 72504 10036 20016 39821 40218 57009 83630", longHeader,
       false, kNone, "AAXX 18181"},
  };
  const ClSynop synop(wxString(testsupport::FixturePath("station_catalogue_small.dat")));
  for (const auto& c : cases) {
    SynopRecord record;
    record.Raw = c.raw;
    record.Header = c.header;
    EXPECT_EQ(synop.FindSynopStation(&record), c.taken) << c.what;
    EXPECT_EQ(DecodeSynop(&record), c.taken) << c.what;
    EXPECT_EQ(record.Station.Time, c.taken ? wxS("1900") : wxString()) << c.what;
    EXPECT_EQ(record.LowCloudType, c.lowCloudType) << c.what;
    EXPECT_EQ(SynopHeaderAfter(c.raw, wxS("AAXX 18181")), c.headerAfter) << c.what;
  }
}

}  // namespace
