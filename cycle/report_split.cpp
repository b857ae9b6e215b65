#include "cycle/report_split.h"

#include <wx/filename.h>
#include <wx/log.h>

#include <cstdint>
#include <utility>

#include "reports/bulletin_split.h"
#include "reports/metar.h"
#include "reports/report_text.h"

namespace {

int CountOf(std::size_t size) { return static_cast<int>(size); }

// FNV-1a over the text's characters (bytes of a file read as ISO 8859-1).
std::uint64_t DigestOf(const wxString& text) {
  constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
  constexpr std::uint64_t kFnvPrime = 1099511628211ull;
  std::uint64_t hash = kFnvOffset;
  const wxStringCharType* chars = text.wx_str();
  for (std::size_t i = 0; i < text.length(); ++i)
    hash = (hash ^ static_cast<std::uint64_t>(chars[i])) * kFnvPrime;
  return hash;
}

struct LineSpan {
  std::size_t start;
  std::size_t length;
};

// The text's lines: cut at every carriage return and line feed, a run of them one break, so empty
// lines give nothing. False when the reporter stops the pass.
bool LinesOf(const wxString& text, SplitReporter& reporter, std::vector<LineSpan>* lines) {
  // How many characters the pass reads between two questions whether it may go on.
  constexpr std::size_t kCharsPerStopCheck = 1 << 16;
  const wxStringCharType* chars = text.wx_str();
  const std::size_t size = text.length();
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i % kCharsPerStopCheck == 0 && i > 0 && !reporter.KeepGoing()) return false;
    if (i < size && chars[i] != '\r' && chars[i] != '\n') continue;
    if (i > start) lines->push_back({start, i - start});
    start = i + 1;
  }
  return true;
}

// Whether a line opens as a report can, "CCCC ddhhmmZ" (what identification looks for first): the
// other lines of a feed (date lines, headings, junk) cost no pattern run.
bool OpensAsReport(const wxStringCharType* line, std::size_t length) {
  constexpr std::size_t kHeaderLength = 12;
  if (length < kHeaderLength) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if (line[i] < 'A' || line[i] > 'Z') return false;
  }
  if (line[4] != ' ' || line[11] != 'Z') return false;
  for (std::size_t i = 5; i < 11; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  return true;
}

// One upper-air part kind: its marker, whether it is identified at all, how and where it goes.
template <typename Record, typename Find>
void IdentifyPart(const wxString& piece, Record& record, std::vector<Record>& list, Find find, int& errors) {
  record.Raw = piece;
  if (find(&record)) {
    list.push_back(record);
  } else {
    ++errors;
  }
}

}  // namespace

wxString SplitItemLabel(SplitStep step, int number, int count, int errors) {
  switch (step) {
    case SplitStep::kMetar:
      return wxString::Format(wxS("Init Metar %i from %i, Error:%i "), number, count, errors);
    case SplitStep::kUpperair:
      return wxString::Format(wxS("Init Upperair %i from %i, Error: %i "), number, count, errors);
    case SplitStep::kSynop:
      return wxString::Format(wxS("Init Synop %i from %i, Error: %i "), number, count, errors);
  }
  return wxString();
}

ReportSplit::ReportSplit(const Upperair& upperair, const ClSynop& synop, wxString airportPath)
    : UpperairStations(upperair), SynopStations(synop), AirportPath(std::move(airportPath)) {}

bool ReportSplit::Run(const FeedTexts& texts, LoadedLists& lists, SplitReporter& reporter) {
  if (!InitMetar(texts.Metar, lists.Stations, reporter)) return false;
  wxString counts = wxString::Format(wxS("Metar: %i"), CountOf(lists.Stations.size()));
  reporter.Counts(counts);
  if (!InitUpperair(texts.Upperair, lists, reporter)) return false;
  counts += wxString::Format(wxS(" Upperair: %i"), CountOf(lists.Ttaa.size()));
  reporter.Counts(counts);
  if (!InitSynop(texts.Synop, lists.Synops, reporter)) return false;
  counts += wxString::Format(wxS(" Synop: %i"), CountOf(lists.Synops.size()));
  reporter.Counts(counts);
  return true;
}

const ClMetar* ReportSplit::Airports(wxString* problem) {
  // The library must not report a missing file: the loader's own box says it.
  wxLogNull quiet;
  wxString text;
  if (!wxFileName::FileExists(AirportPath) || !AppendCatalogueFile(AirportPath, text, problem)) {
    AirportCatalogue.reset();
    return nullptr;
  }
  // A copy that keeps the file's time, or a rewrite of the same size within a second, changes
  // only the bytes: the digest of the bytes decides, and it costs little beside the parse.
  const std::uint64_t digest = DigestOf(text);
  if (AirportCatalogue && digest == AirportDigest) return AirportCatalogue.get();
  auto fresh = std::make_unique<ClMetar>();
  fresh->AddAirports(text);
  AirportCatalogue = std::move(fresh);
  AirportDigest = digest;
  return AirportCatalogue.get();
}

bool ReportSplit::InitMetar(const wxString& text, std::vector<MetarRecord>& stations,
                            SplitReporter& reporter) {
  std::vector<LineSpan> lines;
  if (!LinesOf(text, reporter, &lines)) return false;
  const int count = CountOf(lines.size());
  reporter.Counted(SplitStep::kMetar, count);

  wxString problem;
  const ClMetar* airports = Airports(&problem);
  if (airports == nullptr) {
    reporter.AirportsMissing(problem);
    return true;
  }
  int errors = 0;
  const wxStringCharType* chars = text.wx_str();
  // Room for every line that may be a report, so that the records are never moved as they come.
  std::size_t candidates = 0;
  for (const LineSpan& line : lines) candidates += OpensAsReport(chars + line.start, line.length);
  stations.reserve(stations.size() + candidates);
  for (int number = 1; number <= count; ++number) {
    const LineSpan& line = lines[static_cast<std::size_t>(number - 1)];
    bool identified = false;
    if (OpensAsReport(chars + line.start, line.length)) {
      MetarRecord& record = stations.emplace_back();
      record.Raw = text.Mid(line.start, line.length);
      identified = airports->FindMetarStation(&record);
      if (!identified) stations.pop_back();
    }
    if (!identified) ++errors;
    reporter.Item(SplitStep::kMetar, number, count, errors);
    if (!reporter.AfterItem()) return false;
  }
  return true;
}

bool ReportSplit::InitUpperair(const wxString& text, LoadedLists& lists, SplitReporter& reporter) const {
  reporter.Preparing();
  BulletinPieces pieces(text);
  if (!pieces.Scan([&reporter] { return reporter.KeepGoing(); })) return false;
  const int count = CountOf(pieces.Count());
  reporter.Counted(SplitStep::kUpperair, count);

  int errors = 0;
  UpperairRecord ttaa;
  UpperairPart ttbb;
  UpperairPart ppbb;
  const Upperair& stations = UpperairStations;
  wxString piece;
  for (int number = 1; number <= count && pieces.Next(&piece); ++number) {
    // TTAA first: a piece that names it is a TTAA part whatever else it holds. Parts not asked
    // for, empty pieces and the trailing piece are passed over without counting as errors.
    if (piece.find(wxS("TTAA")) != wxString::npos) {
      IdentifyPart(
          piece, ttaa, lists.Ttaa, [&](UpperairRecord* r) { return stations.FindTTAAStation(r); }, errors);
    } else if (piece.find(wxS("TTBB")) != wxString::npos && UseTtbb) {
      IdentifyPart(
          piece, ttbb, lists.Ttbb, [&](UpperairPart* p) { return stations.FindTTBBStation(p); }, errors);
    } else if (piece.find(wxS("PPBB")) != wxString::npos && UsePpbb) {
      IdentifyPart(
          piece, ppbb, lists.Ppbb, [&](UpperairPart* p) { return stations.FindPPBBStation(p); }, errors);
    }
    reporter.Item(SplitStep::kUpperair, number, count, errors);
    if (!reporter.AfterItem()) return false;
  }
  return true;
}

bool ReportSplit::InitSynop(const wxString& text, std::vector<SynopRecord>& synops,
                            SplitReporter& reporter) const {
  reporter.Preparing();
  BulletinPieces pieces(text);
  if (!pieces.Scan([&reporter] { return reporter.KeepGoing(); })) return false;
  const int count = CountOf(pieces.Count());
  reporter.Counted(SplitStep::kSynop, count);

  int errors = 0;
  SynopRecord record;
  // Only the first station of a bulletin carries "AAXX YYGGi": the ones after it are identified
  // with the header in force, carried from piece to piece.
  wxString header;
  wxString piece;
  for (int number = 1; number <= count && pieces.Next(&piece); ++number) {
    record.Raw = piece;
    record.Header = header;
    if (SynopStations.FindSynopStation(&record)) {
      synops.push_back(record);
    } else {
      ++errors;  // every piece that is not an identified report counts, the trailing one too
    }
    header = SynopHeaderAfter(piece, header);
    reporter.Item(SplitStep::kSynop, number, count, errors);
    if (!reporter.AfterItem()) return false;
  }
  return true;
}
