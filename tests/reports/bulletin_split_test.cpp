#include "reports/bulletin_split.h"

#include <gtest/gtest.h>
#include <wx/tokenzr.h>

#include <random>

namespace {

TEST(SplitBulletinPieces, CutsAtEveryEqualsSign) {
  struct Case {
    wxString text;
    std::vector<wxString> pieces;
  };
  const Case cases[] = {
      {"", {}},
      {"TTAA 1=\r\nTTBB 2=\r\n", {"TTAA 1", "\r\nTTBB 2", "\r\n"}},  // the trailing line break is a piece
      {"A=B", {"A", "B"}},
      {"A==B", {"A", "", "B"}},  // an empty piece with text after it
      {"A==", {"A"}},            // ... but not at the end
      {"=A", {"", "A"}},
      {"==A==", {"", "", "A"}},
      {"=", {""}},  // a text of "=" only: its empty first piece
      {"===", {""}},
      {" = ", {" ", " "}},  // blanks are characters like any other
      {"\r\n=\r\n=", {"\r\n", "\r\n"}},
      {wxString(L"A\0=\0", 4), {wxString(L"A\0", 2), wxString(L"\0", 1)}},  // NUL is no "="
      {"no terminator", {"no terminator"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitBulletinPieces(c.text), c.pieces) << c.text;
}

// The library's tokenizer in its default mode, the way the pieces were first cut.
std::vector<wxString> TokenizerPieces(const wxString& text) {
  std::vector<wxString> pieces;
  wxStringTokenizer tokens(text, wxS("="), wxTOKEN_DEFAULT);
  while (tokens.HasMoreTokens()) pieces.push_back(tokens.GetNextToken());
  return pieces;
}

// Short texts of the characters that matter, against the tokenizer.
TEST(SplitBulletinPieces, GivesTheTokenizersPiecesForAnyText) {
  const wchar_t alphabet[] = {L'=', L'=', L'=', L'A', L' ', L'\r', L'\n', L'\0', L'\xe9'};
  std::mt19937 random(21);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
  std::uniform_int_distribution<std::size_t> length(0, 24);
  for (int run = 0; run < 20000; ++run) {
    std::wstring wide(length(random), L' ');
    for (wchar_t& c : wide) c = alphabet[pick(random)];
    const wxString text(wide);
    ASSERT_EQ(SplitBulletinPieces(text), TokenizerPieces(text)) << "run " << run;
  }
}

// A pass over a long text asks whether it may go on, and a no ends it with nothing found.
TEST(BulletinPieces, AScanThatIsToldToStopFindsNothing) {
  const wxString text = wxString(1 << 20, '=') + wxS("A");
  BulletinPieces pieces(text);
  int asked = 0;
  EXPECT_FALSE(pieces.Scan([&asked] { return ++asked < 3; }));
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(pieces.Count(), 0u);
  wxString piece;
  EXPECT_FALSE(pieces.Next(&piece));

  EXPECT_TRUE(pieces.Scan([] { return true; }));  // a later scan starts over
  EXPECT_EQ(pieces.Count(), (1u << 20) + 1);
  ASSERT_TRUE(pieces.Next(&piece));
  EXPECT_EQ(piece, "");
}

}  // namespace
