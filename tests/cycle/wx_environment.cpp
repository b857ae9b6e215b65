#include <gtest/gtest.h>
#include <wx/init.h>

namespace {

// Threads and posted events need the library initialised; listing the tests does not.
class WxBaseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(wxInitialize()); }
  void TearDown() override { wxUninitialize(); }
};

::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

}  // namespace
