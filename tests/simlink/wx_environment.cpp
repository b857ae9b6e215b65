#include <gtest/gtest.h>
#include <wx/init.h>

namespace {

// The writer's control updates are queued events: the library needs its application object.
class WxBaseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(wxInitialize()); }
  void TearDown() override { wxUninitialize(); }
};

::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

}  // namespace
