// nubivane-bench-degenerate-feeds: the loader's three split steps over broken feeds of the largest
// size a download lets through (runs of "=", of blanks, of line breaks, of NUL characters, one
// huge line, a text without any "="). Prints milliseconds per MB of text for each step and each
// kind of input, at 1 MB and at 16 MB: the two figures of a step stay alike when its time grows
// in step with the text. Arguments: other sizes in KB ("nubivane-bench-degenerate-feeds 64 256").

#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/quiet_reporter.h"
#include "cycle/report_split.h"
#include "reports/report_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBytesPerKb = 1024;
constexpr std::size_t kBytesPerMb = 1024 * kBytesPerKb;

constexpr char kAirportsMissing[] = "cannot read the airport catalogue";

std::string Latin1Bytes(const char* path) {
  wxString text;
  if (!AppendLatin1File(wxString::FromUTF8(path), text)) std::fprintf(stderr, "cannot read %s\n", path);
  return std::string(text.mb_str(wxConvISO8859_1), text.length());
}

// Real feed text: METAR lines, TEMP and SYNOP bulletins.
const std::string& RealText() {
  static const std::string text = Latin1Bytes(NUB_SHARED_DATA_DIR "/metar-cycle-sample.txt") +
                                  Latin1Bytes(NUB_FIXTURES_DIR "/temp_bulletin_us_knots.txt") +
                                  Latin1Bytes(NUB_SHARED_DATA_DIR "/fldigi_synop_samples.txt");
  return text;
}

// A report head that every step looks at, then filler up to bytes.
std::string HeadThen(const std::string& filler, std::size_t bytes) {
  std::string text = "EDDF 121150Z TTAA 62121 72201 AAXX 19001 11036 ";
  while (text.size() + filler.size() <= bytes) text += filler;
  return text;
}

// unit over and over, the last one cut, to bytes characters.
std::string Repeated(const std::string& unit, std::size_t bytes) {
  std::string text;
  text.reserve(bytes);
  while (text.size() < bytes) text.append(unit, 0, std::min(unit.size(), bytes - text.size()));
  return text;
}

struct Kind {
  const char* name;
  std::string (*make)(std::size_t bytes);
};

const Kind kKinds[] = {
    {"run of \"=\", then a letter", [](std::size_t n) { return std::string(n - 1, '=') + "A"; }},
    {"one-letter pieces \"A=\"", [](std::size_t n) { return Repeated("A=", n); }},
    {"run of blanks", [](std::size_t n) { return HeadThen(" ", n); }},
    {"run of CR and LF", [](std::size_t n) { return HeadThen("\r\n", n); }},
    {"run of NUL", [](std::size_t n) { return HeadThen(std::string(1, '\0'), n); }},
    {"one line of real text",
     [](std::size_t n) {
       std::string line = Repeated(RealText(), n);
       std::replace(line.begin(), line.end(), '\r', ' ');
       std::replace(line.begin(), line.end(), '\n', ' ');
       return line;
     }},
    {"real text without \"=\"",
     [](std::size_t n) {
       std::string text = Repeated(RealText(), n);
       text.erase(std::remove(text.begin(), text.end(), '='), text.end());
       return text;
     }},
    {"SYNOP pieces of section headers",
     [](std::size_t n) { return Repeated(Repeated("AAXX 19001 ", 3993) + "=\n", n); }},
};

double MsPerMb(Clock::duration took, std::size_t bytes) {
  return std::chrono::duration<double, std::milli>(took).count() / (static_cast<double>(bytes) / kBytesPerMb);
}

void RunKind(const Kind& kind, std::size_t bytes, ReportSplit& split) {
  const std::string made = kind.make(bytes);
  const wxString text = Latin1ToString(made.data(), made.size());
  QuietReporter reporter(kAirportsMissing);
  LoadedLists lists;
  auto start = Clock::now();
  split.InitMetar(text, lists.Stations, reporter);
  const double metar = MsPerMb(Clock::now() - start, made.size());
  start = Clock::now();
  split.InitUpperair(text, lists, reporter);
  const double upperair = MsPerMb(Clock::now() - start, made.size());
  start = Clock::now();
  split.InitSynop(text, lists.Synops, reporter);
  const double synop = MsPerMb(Clock::now() - start, made.size());
  std::printf("%-34s %8.2f MB %12.2f %12.2f %12.2f\n", kind.name,
              static_cast<double>(made.size()) / kBytesPerMb, metar, upperair, synop);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer library;
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10) * kBytesPerKb);
  if (sizes.empty()) sizes = {kBytesPerMb, 16 * kBytesPerMb};

  const Upperair upperair(wxS(NUB_CATALOGUE_DIR "/station.dat"));
  const ClSynop synop(wxS(NUB_CATALOGUE_DIR "/station.dat"));
  ReportSplit split(upperair, synop, wxS(NUB_CATALOGUE_DIR "/airport.dat"));
  {
    QuietReporter reporter(kAirportsMissing);
    std::vector<MetarRecord> stations;
    split.InitMetar(wxString(), stations, reporter);  // the catalogue is parsed once, before timing
  }

  std::printf("%-34s %11s %12s %12s %12s\n", "input", "size", "METAR ms/MB", "TEMP ms/MB", "SYNOP ms/MB");
  for (const std::size_t bytes : sizes) {
    for (const Kind& kind : kKinds) RunKind(kind, bytes, split);
  }
  return 0;
}
