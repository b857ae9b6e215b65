// SYNOP loading and lookup: identify a text of 5,000 pieces the way the loader cuts it, then
// decode the 100 reports nearest to a position the way the conversion run takes them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "reports/bulletin_split.h"
#include "reports/geometry.h"
#include "reports/synop.h"

namespace {

constexpr int kPieces = 5000;
constexpr int kNearest = 100;
constexpr int kStationsPerBulletin = 10;
constexpr float kAircraftLatitude = 50.0f;
constexpr float kAircraftLongitude = 8.5f;

// Real report bodies (after the station number), taken in turn.
const char* const kBodies[] = {
    "32565 73208 10000 21038 30065 40306 57008 8353/ 333 83629\n86360 91013 91113 91209",
    "42560 72111 10145 20120 30162 40172 53010 81275 333 55307 21589 30922 81828 84366 85071 91113 91211",
    "11658 82710 11023 21050 39412 42834 56004 69911 77077 8452/\n333 55031 84646 88458",
    "46/29 /2313 10143 20114 30153 40153 53011 222// 00140 333 10153 20137 55069 55308 91117 91214",
    "35561 /2504 11031 21043 39946 40345 57009",
};

std::string StationNumber(int i) {
  char id[16];
  std::snprintf(id, sizeof id, "%05d", 10000 + i);
  return id;
}

// A station.dat of kPieces stations on a grid over Europe, one per report.
std::string CatalogueText() {
  std::string text;
  for (int i = 0; i < kPieces; ++i) {
    const int latMinutes = 35 * 60 + (i / 100) * 40;
    const int lonMinutes = -10 * 60 + (i % 100) * 30;
    char line[64];
    std::snprintf(line, sizeof line, "%s         %-19s    %02d%02dN %03d%02d%c %4d\r\n",
                  StationNumber(i).c_str(), "Bench station", latMinutes / 60, latMinutes % 60,
                  std::abs(lonMinutes) / 60, std::abs(lonMinutes) % 60, lonMinutes < 0 ? 'W' : 'E', 100);
    text += line;
  }
  return text;
}

// Bulletins of ten stations: heading, "AAXX YYGGi" once, then one "=" piece per station.
wxString SynopText() {
  std::string text;
  for (int i = 0; i < kPieces; ++i) {
    if (i % kStationsPerBulletin == 0) text += "\r\r\nSMXX01 EDZW 191800\r\r\nAAXX 19181\r\r\n";
    text += StationNumber(i) + " " + kBodies[i % std::size(kBodies)] + "=\r\r\n";
  }
  return wxString::FromUTF8(text);
}

struct Fixture {
  std::string cataloguePath;
  wxString text;
  Fixture() {
    cataloguePath = (std::filesystem::temp_directory_path() / "nubivane-bench-synop-station.dat").string();
    std::ofstream(cataloguePath, std::ios::binary) << CatalogueText();
    text = SynopText();
  }
  ~Fixture() { std::filesystem::remove(cataloguePath); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

std::vector<SynopRecord> Identify(const ClSynop& synop, const wxString& text) {
  std::vector<SynopRecord> found;
  SynopRecord record;
  wxString header;
  for (const wxString& piece : SplitBulletinPieces(text)) {
    record.Raw = piece;
    record.Header = header;
    if (synop.FindSynopStation(&record)) found.push_back(record);
    header = SynopHeaderAfter(piece, header);
  }
  return found;
}

void BM_IdentifySynopText(benchmark::State& state) {
  const ClSynop synop(wxString::FromUTF8(Data().cataloguePath));
  std::size_t identified = 0;
  for (auto _ : state) {
    const auto found = Identify(synop, Data().text);
    identified = found.size();
    benchmark::DoNotOptimize(identified);
  }
  state.counters["pieces"] = kPieces;
  state.counters["identified"] = static_cast<double>(identified);
  state.counters["per_piece"] = benchmark::Counter(
      kPieces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IdentifySynopText)->Unit(benchmark::kMillisecond);

void BM_DecodeNearest100(benchmark::State& state) {
  const ClSynop synop(wxString::FromUTF8(Data().cataloguePath));
  const std::vector<SynopRecord> synops = Identify(synop, Data().text);
  std::size_t decoded = 0;
  for (auto _ : state) {
    std::vector<double> km(synops.size());
    for (std::size_t i = 0; i < synops.size(); ++i) {
      km[i] = DistanceKm(kAircraftLatitude, kAircraftLongitude, synops[i].Station.Latitude,
                         synops[i].Station.Longitude);
    }
    std::vector<std::size_t> order(synops.size());
    std::iota(order.begin(), order.end(), 0);
    std::partial_sort(order.begin(), order.begin() + kNearest, order.end(),
                      [&](std::size_t a, std::size_t b) { return km[a] < km[b]; });
    decoded = 0;
    for (int n = 0; n < kNearest; ++n) {
      SynopRecord copy = synops[order[n]];
      decoded += DecodeSynop(&copy) ? 1 : 0;
    }
    benchmark::DoNotOptimize(decoded);
  }
  state.counters["decoded"] = static_cast<double>(decoded);
}
BENCHMARK(BM_DecodeNearest100)->Unit(benchmark::kMillisecond);

// One lookup of the conversion run: the nearest report within 300 km among 5,000.
void BM_NearestSynop(benchmark::State& state) {
  const ClSynop synop(wxString::FromUTF8(Data().cataloguePath));
  const std::vector<SynopRecord> synops = Identify(synop, Data().text);
  for (auto _ : state) benchmark::DoNotOptimize(NearestSynop(kAircraftLatitude, kAircraftLongitude, &synops));
}
BENCHMARK(BM_NearestSynop)->Unit(benchmark::kMicrosecond);

}  // namespace
