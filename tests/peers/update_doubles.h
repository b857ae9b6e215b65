#pragma once

#include <wx/string.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "platform/shell_open.h"

// Points the updater at a test's own HTTP server for the life of the object.
class ScopedUpdateHost {
 public:
  explicit ScopedUpdateHost(const std::string& url) {
    testsupport::SetEnvironment("NUBIVANE_UPDATE_HOST", url);
  }
  ~ScopedUpdateHost() { testsupport::UnsetEnvironment("NUBIVANE_UPDATE_HOST"); }
};

// Stands in for the shell: records the files it was asked to open and opens none.
class ShellRecorder {
 public:
  ShellRecorder() {
    previous_ = platform::SetShellOpenHandler([this](const wxString& file) { opened.push_back(file); });
  }
  ~ShellRecorder() { platform::SetShellOpenHandler(previous_); }
  std::vector<wxString> opened;

 private:
  platform::ShellOpenHandler previous_;
};
