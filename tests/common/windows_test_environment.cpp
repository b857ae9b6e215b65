// What every test program needs on Windows before its first test: the GUI library initialised,
// as the program always has it (its per-thread data comes from there; a decoder on a thread of
// our own needs it), and the log written to standard error: without an application object the
// library shows every log message as a message box, and a box nobody closes holds the test for
// good. A test program that starts the library itself (the window tests, with their own
// application object) is left as it is.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {

class WindowsTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (wxTheApp != nullptr) return;
    initialised_ = wxInitialize();
    delete wxLog::SetActiveTarget(new wxLogStderr);
  }
  void TearDown() override {
    if (initialised_) wxUninitialize();
  }

 private:
  bool initialised_ = false;
};

[[maybe_unused]] ::testing::Environment* const gWindowsTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowsTestEnvironment);

}  // namespace
