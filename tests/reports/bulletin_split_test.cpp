#include "reports/bulletin_split.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitBulletinPieces, CutsAtEveryEqualsSign) {
  struct Case {
    const char* text;
    std::vector<wxString> pieces;
  };
  const Case cases[] = {
      {"", {}},
      {"TTAA 1=\r\nTTBB 2=\r\n", {"TTAA 1", "\r\nTTBB 2", "\r\n"}},  // the trailing line break is a piece
      {"A=B", {"A", "B"}},
      {"A==B", {"A", "", "B"}},  // an empty piece with text after it
      {"A==", {"A"}},            // ... but not at the end
      {"=A", {"", "A"}},
      {"no terminator", {"no terminator"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitBulletinPieces(c.text), c.pieces) << c.text;
}

}  // namespace
