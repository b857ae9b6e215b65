// Reports of a broken feed that arrives as one huge line or piece, at 100 KB and 800 KB: the time
// of identifying and decoding each (upper-air parts up to the merged profile). Target: well under a second
// per report, whatever its length.

#include <benchmark/benchmark.h>

#include <string>

#include "reports/metar.h"
#include "reports/synop.h"
#include "reports/ttaa_decoder.h"
#include "reports/upperair.h"
#include "reports/upperair_profile.h"

namespace {

constexpr std::int64_t kSmallBytes = 100 * 1000;
constexpr std::int64_t kLargeBytes = 800 * 1000;

// head, then group repeated until the text holds about bytes characters, then tail.
wxString Repeated(const std::string& head, const std::string& group, std::int64_t bytes,
                  const std::string& tail) {
  std::string text = head;
  while (static_cast<std::int64_t>(text.size() + group.size() + tail.size()) <= bytes) text += group;
  return wxString::FromUTF8(text + tail);
}

void DecodeMetarLine(benchmark::State& state, const char* group) {
  const wxString line = Repeated("EDDF 121200Z 27010KT 9999 ", group, state.range(0), "15/05 Q1013");
  ClMetar catalogue;
  catalogue.AddAirports(wxS("EDDF,Frankfurt Main,364,50.0333,8.5706\n"));
  ClMetar decoder;
  MetarRecord record;
  record.Raw = line;
  for (auto _ : state) {
    benchmark::DoNotOptimize(catalogue.FindMetarStation(&record));
    benchmark::DoNotOptimize(decoder.DecodeMetar(&record));
  }
  state.counters["chars"] = static_cast<double>(line.length());
}

void DecodeSynopPiece(benchmark::State& state, const char* head, const char* group) {
  const wxString piece = Repeated(head, group, state.range(0), "");
  const ClSynop synop(wxS(NUB_CATALOGUE_DIR "/station.dat"));
  SynopRecord record;
  record.Raw = piece;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SynopHeaderAfter(piece, wxString()));
    benchmark::DoNotOptimize(synop.FindSynopStation(&record));
    benchmark::DoNotOptimize(DecodeSynop(&record));
  }
  state.counters["chars"] = static_cast<double>(piece.length());
}

// "EDDF 121200Z 27010KT 9999 " + "R27L/1000 " x n + "15/05 Q1013"
void BM_MetarRunwayRanges(benchmark::State& state) { DecodeMetarLine(state, "R27L/1000 "); }
BENCHMARK(BM_MetarRunwayRanges)->Arg(kSmallBytes)->Arg(kLargeBytes)->Unit(benchmark::kMicrosecond);

// The same with "FEW010 " x n.
void BM_MetarCloudGroups(benchmark::State& state) { DecodeMetarLine(state, "FEW010 "); }
BENCHMARK(BM_MetarCloudGroups)->Arg(kSmallBytes)->Arg(kLargeBytes)->Unit(benchmark::kMicrosecond);

// A SYNOP piece of "AAXX 19001 " x n: the header carried on, identification and decoding.
void BM_SynopSectionHeaders(benchmark::State& state) { DecodeSynopPiece(state, "", "AAXX 19001 "); }
BENCHMARK(BM_SynopSectionHeaders)->Arg(kSmallBytes)->Arg(kLargeBytes)->Unit(benchmark::kMicrosecond);

// A SYNOP piece whose body never ends: "AAXX 19001 10015 41480 72504 " + "83630 " x n.
void BM_SynopBodyGroups(benchmark::State& state) {
  DecodeSynopPiece(state, "AAXX 19001 10015 41480 72504 ", "83630 ");
}
BENCHMARK(BM_SynopBodyGroups)->Arg(kSmallBytes)->Arg(kLargeBytes)->Unit(benchmark::kMicrosecond);

// A TTAA part whose standard levels never end: "00141 22257 13508" x n.
void BM_TtaaLevels(benchmark::State& state) {
  const Upperair upperair(wxS(NUB_CATALOGUE_DIR "/station.dat"));
  UpperairRecord record;
  record.Raw = Repeated("TTAA 56001 72201 99019 22856 13007 ", "00141 22257 13508 ", state.range(0), "");
  for (auto _ : state) {
    benchmark::DoNotOptimize(upperair.FindTTAAStation(&record));
    benchmark::DoNotOptimize(DecodeTTAA(&record));
  }
  state.counters["chars"] = static_cast<double>(record.Raw.length());
}
BENCHMARK(BM_TtaaLevels)->Arg(kSmallBytes)->Arg(kLargeBytes)->Unit(benchmark::kMicrosecond);

// A TTBB part of significant levels without end ("11975 20056" x n), merged with a TTAA part into
// one profile, interpolated, with its humidities.
void BM_TtbbProfile(benchmark::State& state) {
  UpperairRecord ttaa;
  ttaa.Raw = wxS("TTAA 56001 72201 99019 22856 13007 00141 22257 13508 50591 06959 26522 10654 73358 27515");
  DecodeTTAA(&ttaa);
  UpperairPart ttbb;
  ttbb.Raw = Repeated("TTBB 56008 72201 00019 22856 ", "11975 20056 ", state.range(0), "");
  for (auto _ : state) {
    DecodeTTBB(&ttbb);
    UpperairRecord profile;
    MergeUpperair(&profile, &ttaa, &ttbb);
    InterpolateLevels(&profile);
    benchmark::DoNotOptimize(CalcHumidity(&profile));
  }
  state.counters["chars"] = static_cast<double>(ttbb.Raw.length());
}
BENCHMARK(BM_TtbbProfile)->Arg(kSmallBytes)->Arg(kLargeBytes)->Unit(benchmark::kMicrosecond);

}  // namespace
