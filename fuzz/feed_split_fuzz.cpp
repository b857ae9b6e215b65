// A whole downloaded feed from a hostile server, up to megabytes: the loader's three split steps
// over it (lines, pieces, identification), and the pieces against the library's tokenizer where
// the tokenizer is quick enough to ask, against their own rule everywhere.

#include <unistd.h>
#include <wx/tokenzr.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cycle/report_split.h"
#include "fuzz_support.h"
#include "reports/bulletin_split.h"

namespace {

// The tokenizer reads a run of "=" again from each of its characters: asked on short inputs only.
constexpr std::size_t kTokenizerCompareChars = 64 * 1024;

std::string gAirports;

void RemoveAirports() { std::remove(gAirports.c_str()); }

// Counts what the split reports and checks that every step gives as many items as it counted.
class CheckingReporter : public SplitReporter {
 public:
  void Preparing() override {}
  void Counted(SplitStep, int count) override {
    Require(items_ == counted_, "a step gives as many items as it counted");
    counted_ = count;
    items_ = 0;
  }
  void Item(SplitStep, int number, int count, int errors) override {
    ++items_;
    Require(number == items_ && count == counted_ && errors >= 0 && errors <= number, "an item's numbers");
  }
  bool AfterItem() override { return true; }
  bool KeepGoing() override { return true; }
  void Counts(const wxString&) override {}
  void AirportsMissing(const wxString&) override { Require(false, "the airport catalogue reads"); }

  void End() const { Require(items_ == counted_, "the last step gives as many items as it counted"); }

 private:
  int counted_ = 0;
  int items_ = 0;
};

ReportSplit& Split() {
  static ReportSplit* split = [] {
    char name[] = "/tmp/nubivane-fuzz-airports-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    gAirports = name;
    std::atexit(&RemoveAirports);
    std::ofstream(gAirports)
        << "EDDF,Frankfurt Main,364,50.0333,8.5706\nKJFK,New York Kennedy,13,40.6398,-73.7789\n";
    const auto* upperair = new Upperair(CataloguePath("station.dat"));
    const auto* synop = new ClSynop(CataloguePath("station.dat"));
    auto* made = new ReportSplit(*upperair, *synop, wxString::FromUTF8(gAirports));
    made->SetParts(true, true);
    return made;
  }();
  return *split;
}

// The pieces' own rule: joined by "=" they give the text up to its last character other than
// "=", and a text of "=" only gives one empty piece.
void RequireRule(const wxString& text, const std::vector<wxString>& pieces) {
  if (text.empty()) return Require(pieces.empty(), "an empty text gives no piece");
  const std::size_t lastOther = text.find_last_not_of(wxS("="));
  if (lastOther == wxString::npos) return Require(pieces == std::vector<wxString>{wxString()}, "only \"=\"");
  std::size_t at = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    Require(text.compare(at, pieces[i].length(), pieces[i]) == 0, "a piece is the text at its place");
    at += pieces[i].length();
    if (i + 1 < pieces.size()) {
      Require(at < text.length() && text[at] == '=', "an \"=\" between two pieces");
      ++at;
    }
    Require(pieces[i].find('=') == wxString::npos, "no piece holds an \"=\"");
  }
  Require(at > lastOther, "the pieces reach the last character other than \"=\"");
  Require(at == text.length() || text[at] == '=', "the pieces end at an \"=\" or the end");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  Split();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const wxString text = InputText(data, size);
  const std::vector<wxString> pieces = SplitBulletinPieces(text);
  RequireRule(text, pieces);
  if (size <= kTokenizerCompareChars) {
    std::vector<wxString> tokens;
    wxStringTokenizer tokenizer(text, wxS("="), wxTOKEN_DEFAULT);
    while (tokenizer.HasMoreTokens()) tokens.push_back(tokenizer.GetNextToken());
    Require(pieces == tokens, "the pieces are the tokenizer's");
  }

  CheckingReporter reporter;
  LoadedLists lists;
  Require(Split().Run(FeedTexts{text, text, text}, lists, reporter),
          "a split that is never stopped ends whole");
  reporter.End();
  return 0;
}
