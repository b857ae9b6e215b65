#include "gui_common/assert_handler.h"

#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/string.h>

namespace guitest {
namespace {

void FailTheTest(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_str().data(), line)
      << "wxWidgets assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data()
      << (msg.empty() ? "" : " - ") << msg.utf8_str().data();
}

}  // namespace

void InstallFailingAssertHandler() { wxSetAssertHandler(FailTheTest); }

}  // namespace guitest
