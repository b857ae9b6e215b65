#include "app/update_check.h"

#include <wx/busyinfo.h>
#include <wx/toplevel.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "app/core/version_check.h"
#include "support/file_version.h"
#include "support/gui/modal_runs.h"
#include "support/service_addresses.h"
#include "support/updater.h"

namespace {

wxString LocalVersion() {
  ClFileVersion version;
  version.Load(wxString());  // an unreadable version stays empty, and any real version is newer
  return version.GetFileVersion(true);
}

bool Stopped(const UpdateCheckHost& host) { return host.Stopped && host.Stopped(); }

void OfferNewer(wxWindow* window, const UpdateCheckHost& host, const wxString& version) {
  const int answer = modal_runs::ShowBox(wxS("Download Version v") + version + wxS("?"), wxS("Version Info"),
                                         wxYES_NO | wxICON_INFORMATION | wxSTAY_ON_TOP, window);
  host.ClearProgress();
  // A close that came while the box stood ended it: the answer is no answer then.
  if (answer != wxYES || Stopped(host)) return;
  ClUpdater updater(window);
  updater.SetWaits(host.SetupStop, host.SetupWaiting);
  // The window goes through its close, which waits until no step and no modal loop runs any
  // more, while the setup program runs.
  if (updater.Run()) window->Close(true);
}

}  // namespace

wxString VersionCheckUrl() { return services::UpdateHostUrl() + wxS("/checkVersionNubivanelite.php"); }

void RunUpdateCheck(wxWindow* window, const UpdateCheckHost& host, bool startup) {
  wxWindowDisabler disabled;
  wxString answer;
  bool downloaded = false;
  {
    // The busy text stands above every window: it goes before a box could stand under it.
    wxBusyInfo busy(wxS("Checking for updates...Please wait..."), window);
    downloaded = host.Download(VersionCheckUrl(), &answer, kLongestVersionAnswerBytes) == 0;
  }
  // A window that is closing offers nothing, and a stopped download is no failed check.
  if (Stopped(host)) {
    host.ClearProgress();
    return;
  }
  const VersionVerdict verdict =
      downloaded ? JudgeVersion(LocalVersion(), answer) : VersionVerdict::kNotVersion;
  switch (verdict) {
    case VersionVerdict::kNotVersion:
      host.ClearProgress();
      modal_runs::ShowBox(wxS("Couldn't connect to Update Server"), wxS("ERROR"), wxOK | wxCENTRE, window);
      return;
    case VersionVerdict::kNewer:
      return OfferNewer(window, host, AnnouncedVersion(answer));
    case VersionVerdict::kUpToDate:
      host.ClearProgress();
      if (startup) {
        wxBusyInfo flash(wxS("Checking for updates...No Updates..."), window);
      } else {
        modal_runs::ShowBox(wxS("Your version is up to date."), wxS("Version Info"), wxOK | wxCENTRE, window);
      }
      return;
  }
}
