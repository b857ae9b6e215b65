#include <gtest/gtest.h>
#include <wx/init.h>

namespace {

// The library's sockets, URLs, threads and posted events need it initialised; listing the tests
// does not. A suite without windows links this to get it.
class WxBaseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(wxInitialize()); }
  void TearDown() override { wxUninitialize(); }
};

::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

}  // namespace
