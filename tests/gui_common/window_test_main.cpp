#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

#include "common/test_paths.h"
#include "gui_common/assert_handler.h"
#include "gui_common/glib_log_check.h"
#include "gui_common/modal_watchdog.h"

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

// The main of every window suite. Starts the GUI library only to run tests: listing them needs
// no display.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) {
    return RUN_ALL_TESTS();
  }
  guitest::FailOnGlibWarnings();
  testsupport::UnsetEnvironment("HTTP_PROXY");  // the tests' servers are on this machine: no proxy in between
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "the window tests need a display (DISPLAY is not usable)\n");
    return 1;
  }
  guitest::InstallFailingAssertHandler();
  int result = 0;
  {
    guitest::ModalWatchdog watchdog;  // registered first, so asked after every test's recorder
    result = RUN_ALL_TESTS();
  }
  wxTheApp->OnExit();
  wxEntryCleanup();
  if (guitest::GlibWarningsOutsideTests() > 0) {
    std::fprintf(stderr, "GLib warned outside the tests (see above)\n");
    return 1;
  }
  return result;
}
