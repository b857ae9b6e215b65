#pragma once

#include <wx/string.h>

#include <functional>

// Hands a file to the shell: ShellExecute on Windows, elsewhere the desktop's default handler.
// Tests put a recorder in its place, so that no downloaded file is ever run by a test.

namespace platform {

using ShellOpenHandler = std::function<void(const wxString& file)>;

// Hands the file (relative names are taken from the working directory) to the handler in place.
// Whether the file could be opened is not reported.
void ShellOpenFile(const wxString& file);

// Replaces the handler; an empty handler restores the desktop's default. Returns the previous one.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

}  // namespace platform
