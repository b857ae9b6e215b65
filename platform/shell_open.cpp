#include "platform/shell_open.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace platform {
namespace {

// Runs the desktop's opener without waiting for it; a missing opener is not reported, like a
// file the shell cannot start.
void OpenWithDesktop(const wxString& file) {
  wxFileName name(file);
  name.MakeAbsolute();
  const wxString full = name.GetFullPath();
  const wchar_t* argv[] = {L"xdg-open", full.wc_str(), nullptr};
  wxLogNull quiet;
  wxExecute(argv, wxEXEC_ASYNC);
}

ShellOpenHandler& CurrentHandler() {
  static ShellOpenHandler handler;
  return handler;
}

}  // namespace

void ShellOpenFile(const wxString& file) {
  const ShellOpenHandler& handler = CurrentHandler();
  if (handler) {
    handler(file);
  } else {
    OpenWithDesktop(file);
  }
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
  ShellOpenHandler previous = std::move(CurrentHandler());
  CurrentHandler() = std::move(handler);
  return previous;
}

}  // namespace platform
