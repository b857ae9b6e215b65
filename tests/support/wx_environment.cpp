#include <gtest/gtest.h>
#include <wx/init.h>

namespace {

// The library's sockets and URL classes need it initialised; listing the tests does not.
class WxBaseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(wxInitialize()); }
  void TearDown() override { wxUninitialize(); }
};

::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

}  // namespace
