#include "platform/shell_open_default.h"

#include <windows.h>
#include <wx/filename.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace platform {

void OpenWithDefaultHandler(const wxString& file) {
  wxFileName name(file);
  name.MakeAbsolute();
  ::ShellExecuteW(nullptr, L"open", name.GetFullPath().wc_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace platform
