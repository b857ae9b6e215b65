#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

// What the update check needs of the main window: the one download of a URL into text (0 when
// the whole resource arrived), which shows its progress on the window's label and gauge, and the
// clearing of both afterwards.
struct UpdateCheckHost {
  std::function<int(const wxString& url, wxString* text)> Download;
  std::function<void()> ClearProgress;
};

// The version text's address on the update host.
wxString VersionCheckUrl();

// Asks the update host for the newest version and offers a real newer one; on Yes the setup
// program is downloaded and started and the window is closed (forced). Anything but a version from
// the host is a failed check, also at start-up. At start-up (startup) an up-to-date result only
// flashes a busy text. Every other window is disabled meanwhile. GUI thread.
void RunUpdateCheck(wxWindow* window, const UpdateCheckHost& host, bool startup);
