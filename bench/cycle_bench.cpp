// nubivane-bench-cycle: from the end of a download to the hand-over of the records, stage by
// stage (the loader's deliberate pauses aside): the split of the real sample feed with SYNOP and
// upper air, the choice of the stations around a busy airport, and their conversion run. Prints
// the time of each stage (best of several runs) and the resident memory after the split.

#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/quiet_reporter.h"
#include "cycle/conversion_run.h"
#include "cycle/station_choice.h"
#include "reports/report_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 7;
constexpr double kChicagoLat = 41.9786;  // KORD
constexpr double kChicagoLon = -87.9048;
constexpr std::int32_t kRangeKm = 600;

wxString Latin1File(const std::string& path) {
  wxString text;
  if (!AppendLatin1File(wxString::FromUTF8(path), text))
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
  return text;
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

std::size_t Lines(const wxString& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main() {
  wxInitializer library;
  const std::string data = NUB_SHARED_DATA_DIR "/";
  const std::string catalogues = NUB_CATALOGUE_DIR "/";
  const std::string fixtures = NUB_FIXTURES_DIR "/";
  FeedTexts texts;
  texts.Metar = Latin1File(data + "metar-cycle-sample.txt");
  texts.Upperair = Latin1File(fixtures + "temp_bulletin_german_metres_per_second.txt") +
                   Latin1File(fixtures + "temp_bulletin_us_knots.txt");
  texts.Synop = Latin1File(data + "fldigi_synop_samples.txt");

  const Upperair upperairStations(wxString::FromUTF8(catalogues + "station.dat"));
  const ClSynop synopStations(wxString::FromUTF8(catalogues + "station.dat"));
  ReportSplit split(upperairStations, synopStations, wxString::FromUTF8(catalogues + "airport.dat"));
  QuietReporter reporter;

  // The first split parses the airport catalogue; the later ones find its bytes unchanged.
  double firstSplitMs = 0.0;
  double splitMs = 1e9;
  LoadedLists lists;
  for (int run = 0; run < kRuns; ++run) {
    LoadedLists fresh;
    const auto start = Clock::now();
    split.Run(texts, fresh, reporter);
    const double took = Ms(Clock::now() - start);
    if (run == 0) firstSplitMs = took;
    splitMs = std::min(splitMs, took);
    lists = std::move(fresh);
  }
  const long residentKb = ResidentKb();

  OptionData options;
  options.wxRange = kRangeKm;
  options.DwlUpperair = true;
  options.DwlAddWeather = true;
  options.AlignUpperWinds = true;
  const LogLine quiet = [](const wxString&) {};
  double choiceMs = 1e9;
  double conversionMs = 1e9;
  StationChoice choice;
  ConversionResult result;
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    choice = ChooseStations(lists.Stations, kChicagoLat, kChicagoLon, options, quiet);
    choiceMs = std::min(choiceMs, Ms(Clock::now() - start));
    std::vector<UpperairRecord> ttaa = lists.Ttaa;  // the nearest search decodes in place
    ReportLookupLists lookups;
    lookups.Ttaa = &ttaa;
    lookups.Ttbb = &lists.Ttbb;
    lookups.Ppbb = &lists.Ppbb;
    lookups.Synops = &lists.Synops;
    start = Clock::now();
    result = ConvertSelection(choice.Selection, lookups, options, quiet);
    conversionMs = std::min(conversionMs, Ms(Clock::now() - start));
  }

  std::printf("feed: %zu METAR lines, %zu upper-air lines, %zu SYNOP lines\n", Lines(texts.Metar),
              Lines(texts.Upperair), Lines(texts.Synop));
  std::printf("split:      %8.2f ms  (%zu METAR, %zu TTAA, %zu SYNOP identified)\n", splitMs,
              lists.Stations.size(), lists.Ttaa.size(), lists.Synops.size());
  std::printf("first split, airport catalogue parsed: %.2f ms\n", firstSplitMs);
  std::printf("resident memory after the split: %ld KB\n", residentKb);
  std::printf("choice:     %8.2f ms  (%zu stations within %i km of KORD, GLOB included)\n", choiceMs,
              choice.Selection.size(), kRangeKm);
  std::printf("conversion: %8.2f ms  (%zu records handed over)\n", conversionMs, result.Records.size());
  std::printf("choice and conversion: %.2f ms\n", choiceMs + conversionMs);
  for (const bool upperair : {false, true}) {
    for (const bool synop : {false, true}) {
      options.DwlUpperair = upperair;
      options.DwlAddWeather = synop;
      double best = 1e9;
      for (int run = 0; run < kRuns; ++run) {
        std::vector<UpperairRecord> ttaa = lists.Ttaa;
        ReportLookupLists lookups;
        lookups.Ttaa = &ttaa;
        lookups.Synops = &lists.Synops;
        const auto start = Clock::now();
        ConvertSelection(choice.Selection, lookups, options, quiet);
        best = std::min(best, Ms(Clock::now() - start));
      }
      std::printf("conversion with upper air %d, SYNOP %d: %.2f ms\n", upperair, synop, best);
    }
  }
  return 0;
}
