// Identification and decoding over the real METAR sample feed, single thread.
// Targets: identification at least 2,000,000 lines/s, decoding at least 300,000 reports/s.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "reports/metar.h"
#include "reports/report_text.h"

namespace {

struct Feed {
  std::vector<MetarRecord> lines;       // every non-empty line of the cycle file
  std::vector<MetarRecord> identified;  // the reports whose station is in the catalogue
  ClMetar catalogue;
};

Feed& SampleFeed() {
  static Feed* feed = [] {
    auto* f = new Feed;
    if (!f->catalogue.LoadAirports(wxS(NUB_CATALOGUE_DIR "/airport.dat"))) {
      std::fprintf(stderr, "cannot read " NUB_CATALOGUE_DIR "/airport.dat\n");
    }
    wxString text;
    if (!AppendLatin1File(wxS(NUB_SHARED_DATA_DIR "/metar-cycle-sample.txt"), text)) {
      std::fprintf(stderr, "cannot read the METAR sample feed\n");
    }
    for (const wxString& line : SplitLines(text)) {
      MetarRecord record;
      record.Raw = line;
      f->lines.push_back(record);
      if (f->catalogue.FindMetarStation(&record)) f->identified.push_back(record);
    }
    return f;
  }();
  return *feed;
}

void BM_IdentifyLines(benchmark::State& state) {
  Feed& feed = SampleFeed();
  std::size_t found = 0;
  for (auto _ : state) {
    for (MetarRecord& record : feed.lines) found += feed.catalogue.FindMetarStation(&record);
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * feed.lines.size()));
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * feed.lines.size()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IdentifyLines)->Unit(benchmark::kMillisecond);

void BM_DecodeReports(benchmark::State& state) {
  Feed& feed = SampleFeed();
  ClMetar decoder;
  std::size_t decoded = 0;
  for (auto _ : state) {
    for (MetarRecord& record : feed.identified) decoded += decoder.DecodeMetar(&record);
  }
  benchmark::DoNotOptimize(decoded);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * feed.identified.size()));
  state.counters["reports/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * feed.identified.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeReports)->Unit(benchmark::kMillisecond);

// Every line of the feed, date lines and junk included, as the loader would hand them over.
void BM_DecodeAllLines(benchmark::State& state) {
  Feed& feed = SampleFeed();
  ClMetar decoder;
  std::size_t decoded = 0;
  for (auto _ : state) {
    for (MetarRecord& record : feed.lines) decoded += decoder.DecodeMetar(&record);
  }
  benchmark::DoNotOptimize(decoded);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * feed.lines.size()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeAllLines)->Unit(benchmark::kMillisecond);

}  // namespace
