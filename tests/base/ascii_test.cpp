#include "base/ascii.h"

#include <gtest/gtest.h>

namespace {

struct CharCase {
  wxUniChar c;
  bool digit;
  bool upper;
  bool space;
};

// Latin-1 bytes above 0x7F and digits or letters of other scripts are report characters.
TEST(AsciiTests, OnlyTheAsciiRangeCounts) {
  const CharCase cases[] = {
      {'0', true, false, false},
      {'9', true, false, false},
      {'/', false, false, false},
      {':', false, false, false},
      {'A', false, true, false},
      {'Z', false, true, false},
      {'a', false, false, false},
      {'@', false, false, false},
      {'[', false, false, false},
      {' ', false, false, true},
      {'\t', false, false, true},
      {'\n', false, false, true},
      {'\r', false, false, true},
      {'\v', false, false, true},
      {'\f', false, false, true},
      {'\0', false, false, false},
      {wxUniChar(0x85), false, false, false},
      {wxUniChar(0xA0), false, false, false},
      {wxUniChar(0x0663), false, false, false},  // Arabic-Indic three
      {wxUniChar(0xC4), false, false, false},    // A with diaeresis
  };
  for (const CharCase& k : cases) {
    SCOPED_TRACE(static_cast<unsigned>(k.c.GetValue()));
    EXPECT_EQ(IsAsciiDigit(k.c), k.digit);
    EXPECT_EQ(IsAsciiUpper(k.c), k.upper);
    EXPECT_EQ(IsAsciiSpace(k.c), k.space);
  }
}

}  // namespace
