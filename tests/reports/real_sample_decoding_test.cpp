// The whole decoded output of the real sample feeds, pinned by a digest: a change to a decoder
// that alters the result of any real report fails here. On a mismatch the output is written
// beside the test, so that it can be compared with the output of an earlier build.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "common/test_paths.h"
#include "reports/bulletin_split.h"
#include "reports/metar.h"
#include "reports/report_text.h"
#include "reports/synop.h"

namespace {

std::uint64_t Fnv1a(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

wxString SampleText(const char* name) {
  wxString text;
  EXPECT_TRUE(AppendLatin1File(wxString::FromUTF8(testsupport::SharedDataPath(name)), text)) << name;
  return text;
}

void ExpectDigest(const std::string& output, std::size_t lines, std::size_t expectedLines,
                  std::uint64_t expected, const char* dumpName) {
  EXPECT_EQ(lines, expectedLines);
  const std::uint64_t digest = Fnv1a(output);
  EXPECT_EQ(digest, expected) << "digest 0x" << std::hex << digest;
  if (digest != expected) {
    testsupport::WriteBytes(dumpName, output);
    ADD_FAILURE() << "decoded output written to " << dumpName;
  }
}

std::string Utf8(const wxString& text) { return std::string(text.utf8_str()); }

// Every field the decoder writes, one line per report.
std::string MetarLine(bool identified, bool decoded, const MetarRecord& r, const CloudLayer& layer) {
  char head[160];
  std::snprintf(head, sizeof head, "%d%d|%s|%s|%u/%u/%u|%u-%u|%u|%d/%d|%d|%u|", identified, decoded,
                Utf8(r.Icao).c_str(), Utf8(r.Time).c_str(), r.WindDirection, r.WindSpeed, r.WindGust,
                r.VariableFrom, r.VariableTo, r.Visibility, r.Temperature, r.DewPoint, r.Pressure,
                r.Intensity);
  std::string line = head + Utf8(r.PresentWeather) + "|";
  for (const CloudLayer& c : r.Clouds)
    line += std::to_string(c.Cover) + ":" + std::to_string(c.Base) + Utf8(c.Type) + " ";
  line += "|" + std::to_string(layer.Cover) + ":" + std::to_string(layer.Base) + Utf8(layer.Type);
  return line + "\n";
}

// Every line of the METAR cycle sample, junk included, through one decoder as the loader and the
// conversion run use it. Identification runs without a catalogue: only what it reads from the
// report itself is pinned, not which stations the shipped catalogue holds.
TEST(RealSampleDecoding, MetarCycleSample) {
  ClMetar catalogue;
  ClMetar decoder;
  std::string output;
  std::size_t lines = 0;
  for (const wxString& line : SplitLines(SampleText("metar-cycle-sample.txt"))) {
    MetarRecord record;
    record.Raw = line;
    const bool identified = catalogue.FindMetarStation(&record);
    const bool decoded = decoder.DecodeMetar(&record);
    output += MetarLine(identified, decoded, record, decoder.Layer);
    ++lines;
  }
  ExpectDigest(output, lines, 24728, 0x9c4bb396fa45365dull, "metar-cycle-sample.decoded.txt");
}

// A catalogue that holds every five-digit number of the text, so identification comes down to
// what the piece itself says (header, station number, NIL).
wxString CatalogueOfEveryNumber(const wxString& text) {
  std::set<std::string> numbers;
  const std::string bytes = Utf8(text);
  for (std::size_t i = 0; i + 5 <= bytes.size(); ++i) {
    std::size_t n = 0;
    while (n < 5 && bytes[i + n] >= '0' && bytes[i + n] <= '9') ++n;
    if (n == 5) numbers.insert(bytes.substr(i, 5));
  }
  std::string catalogue;
  for (const std::string& number : numbers)
    catalogue += number + "         Sample station         5000N 00830E  100\r\n";
  const std::string path = testing::TempDir() + "real-sample-station.dat";
  testsupport::WriteBytes(path, catalogue);
  return wxString::FromUTF8(path);
}

std::string SynopLine(const wxString& header, bool identified, bool decoded, const SynopRecord& r,
                      const wxString& headerAfter) {
  char head[96];
  std::snprintf(head, sizeof head, "%d%d|%s|%s|%.6f|%u%u%u|", identified, decoded, Utf8(r.Station.Id).c_str(),
                Utf8(r.Station.Time).c_str(), r.Visibility, r.LowCloudType, r.MiddleCloudType,
                r.HighCloudType);
  std::string line = Utf8(header) + "|" + head;
  for (const SynopCloudGroup& g : r.CloudGroups)
    line += std::to_string(g.Amount) + ":" + std::to_string(g.Genus) + ":" + std::to_string(g.Base) + " ";
  return line + "|" + Utf8(headerAfter) + "\n";
}

// Every piece of the broadcast SYNOP samples, with the header carried from piece to piece.
TEST(RealSampleDecoding, SynopSamples) {
  const wxString text = SampleText("fldigi_synop_samples.txt");
  const ClSynop synop(CatalogueOfEveryNumber(text));
  std::string output;
  std::size_t pieces = 0;
  wxString header;
  for (const wxString& piece : SplitBulletinPieces(text)) {
    SynopRecord record;
    record.Raw = piece;
    record.Header = header;
    const bool identified = synop.FindSynopStation(&record);
    const bool decoded = DecodeSynop(&record);
    const wxString after = SynopHeaderAfter(piece, header);
    output += SynopLine(header, identified, decoded, record, after);
    header = after;
    ++pieces;
  }
  ExpectDigest(output, pieces, 130, 0x52d1c706537c7f6full, "fldigi-synop-samples.decoded.txt");
}

}  // namespace
