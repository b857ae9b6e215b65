#include "app/core/control_values.h"

#include <gtest/gtest.h>

namespace {

struct SpinCase {
  const char* text;
  int value;
};

// The range field of the options dialog: 200 to 3000 nautical miles.
TEST(SpinTextValue, TypedTextInTheRange) {
  const SpinCase cases[] = {
      {"300", 300}, {"5000", 3000}, {"letters", 200},
      {"", 200},    {" 450", 450},  {"450nm", 450},
      {"-5", 200},  {"+700", 700},  {"99999999999999999999", 3000},
  };
  for (const SpinCase& c : cases) {
    EXPECT_EQ(SpinTextValue(wxString::FromUTF8(c.text), 200, 3000), c.value) << '"' << c.text << '"';
  }
}

}  // namespace
