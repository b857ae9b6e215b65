#pragma once

#include <wx/string.h>

namespace platform {

// What ShellOpenFile does without a handler of its own: the shell's own way of opening the file
// (the desktop's default handler elsewhere), without waiting for it. Not reported when it fails.
void OpenWithDefaultHandler(const wxString& file);

// What OpenUrl does without a handler of its own: the desktop's browser for the address, started
// without waiting for it (elsewhere than on Windows a program of its own asks the desktop, so that
// a session service that does not answer holds that program, not ours).
void OpenUrlWithDefaultHandler(const wxString& url);

}  // namespace platform
