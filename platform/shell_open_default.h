#pragma once

#include <wx/string.h>

namespace platform {

// What ShellOpenFile does without a handler of its own: the shell's own way of opening the file
// (the desktop's default handler elsewhere), without waiting for it. Not reported when it fails.
void OpenWithDefaultHandler(const wxString& file);

}  // namespace platform
