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

// Hands a web address to the desktop's browser, without waiting for the browser or for the
// desktop's services that start it: no window waits on them. Whether it opened is not reported.
void OpenUrl(const wxString& url);

// Replaces the handler of OpenUrl, as SetShellOpenHandler does for files.
ShellOpenHandler SetUrlOpenHandler(ShellOpenHandler handler);

}  // namespace platform
