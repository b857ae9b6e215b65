#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>

class DownloadStop;
class wxWindow;

// What the update check needs of the main window: the one download of a URL into text (0 when
// the whole resource arrived, refused beyond maxBytes), which shows its progress on the window's
// label and gauge, and the clearing of both afterwards.
struct UpdateCheckHost {
  std::function<int(const wxString& url, wxString* text, std::uint64_t maxBytes)> Download;
  std::function<void()> ClearProgress;
  // True once the window is closing: from then on the check offers nothing, shows nothing and
  // downloads nothing. May be empty.
  std::function<bool()> Stopped;
  // For the setup program's download: the stop that ends it and the hook that keeps the windows
  // drawn while it waits (ClUpdater::SetWaits). May be left out.
  const DownloadStop* SetupStop = nullptr;
  std::function<void()> SetupWaiting;
};

// The version text's address on the update host.
wxString VersionCheckUrl();

// Asks the update host for the newest version and offers a real newer one; on Yes the setup
// program is downloaded and started and the window is closed (forced). Anything but a version from
// the host is a failed check, also at start-up. At start-up (startup) an up-to-date result only
// flashes a busy text. Every other window is disabled meanwhile. GUI thread.
void RunUpdateCheck(wxWindow* window, const UpdateCheckHost& host, bool startup);
