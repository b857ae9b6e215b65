#include "platform/shell_open_default.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace platform {

// A missing opener is not reported, like a file the shell cannot start.
void OpenWithDefaultHandler(const wxString& file) {
  wxFileName name(file);
  name.MakeAbsolute();
  const wxString full = name.GetFullPath();
  const wchar_t* argv[] = {L"xdg-open", full.wc_str(), nullptr};
  wxLogNull quiet;
  wxExecute(argv, wxEXEC_ASYNC);
}

void OpenUrlWithDefaultHandler(const wxString& url) {
  const wchar_t* argv[] = {L"xdg-open", url.wc_str(), nullptr};
  wxLogNull quiet;
  wxExecute(argv, wxEXEC_ASYNC);
}

}  // namespace platform
