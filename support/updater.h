#pragma once

#include <wx/string.h>

#include <chrono>
#include <functional>
#include <memory>

#include "support/download.h"
#include "support/support_ui.h"

class wxWindow;

// Downloads the setup program from the update host into the working directory, with a progress
// dialog, and hands it to the shell. GUI thread only.
class ClUpdater {
 public:
  explicit ClUpdater(wxWindow* parent);
  ~ClUpdater();
  ClUpdater(const ClUpdater&) = delete;
  ClUpdater& operator=(const ClUpdater&) = delete;

  // True when the whole file (where the server announced a length, exactly that many bytes)
  // has arrived and stands under its name. Until then the bytes go to a file beside it, so a
  // broken download never touches a setup program that is already there.
  bool Download();
  // True when the download succeeded and the file was handed to the shell.
  bool Run();
  // For a caller that keeps its windows alive while the download waits: a stop that ends the
  // download at once (nothing of it is kept, no box is shown and nothing is started), and a hook
  // run again and again while it waits, as DownloadOptions::waiting. Either may be left out.
  void SetWaits(const DownloadStop* stop, std::function<void()> waiting);

 private:
  std::unique_ptr<ProgressView> Progress;  // lives while a download runs
  wxWindow* Parent;
  wxString UrlBase;                    // the update host's "/source/"
  wxString FileName;                   // "Nubivane Lite Setup.exe": the name on the server and on disk
  const DownloadStop* Stop = nullptr;  // not owned
  std::function<void()> Waiting;
  DownloadProgress Shown;  // what the progress dialog shows now
  std::chrono::steady_clock::time_point ShownAt;
};

// The progress text: "Download <file> %iKB from %iKB", a KB being 1024 bytes.
wxString DownloadProgressText(const wxString& fileName, std::uint64_t receivedBytes, std::uint64_t sizeBytes);

// Blanks of a file name as they travel in a request path.
wxString EncodeUrlPathBlanks(const wxString& name);
