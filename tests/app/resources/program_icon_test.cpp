#include "app/program_icon.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramIcon, MainIconIsFoundByItsNameAndNoOtherIs) {
  const wxIcon icon = ProgramIcon(wxS("amain"));
  ASSERT_TRUE(icon.IsOk());
  EXPECT_EQ(icon.GetWidth(), 32);
  EXPECT_EQ(icon.GetHeight(), 32);
  EXPECT_FALSE(ProgramIcon(wxS("nothing")).IsOk());
}

}  // namespace
