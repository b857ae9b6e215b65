#include <gtest/gtest.h>
#include <wx/init.h>

#include <cstdlib>

namespace {

// The library's sockets and URL classes need it initialised; listing the tests does not.
class WxBaseEnvironment : public ::testing::Environment {
 public:
  // The library sends every URL through a proxy named in HTTP_PROXY; the tests' servers are on
  // this machine and must be reached directly.
  void SetUp() override {
    ::unsetenv("HTTP_PROXY");
    ASSERT_TRUE(wxInitialize());
  }
  void TearDown() override { wxUninitialize(); }
};

::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

}  // namespace
