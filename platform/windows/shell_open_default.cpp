#include "platform/shell_open_default.h"

#include <windows.h>
#include <wx/filename.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace platform {

void OpenWithDefaultHandler(const wxString& file) {
  wxFileName name(file);
  name.MakeAbsolute();
  // The file's default verb: for a setup program, running it.
  ::ShellExecuteW(nullptr, nullptr, name.GetFullPath().wc_str(), nullptr, nullptr, SW_SHOW);
}

void OpenUrlWithDefaultHandler(const wxString& url) {
  // The address's default verb, as the library's own browser launch does.
  ::ShellExecuteW(nullptr, L"open", url.wc_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace platform
