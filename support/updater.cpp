#include "support/updater.h"

#include <chrono>
#include <climits>
#include <utility>

#include "platform/shell_open.h"
#include "support/download.h"
#include "support/service_addresses.h"

namespace {

// Each wait for the update host ends after 5 s; a setup program arrives well within the
// deadline even over a slow line.
constexpr DownloadLimits kSetupLimits{std::chrono::seconds(5), std::chrono::minutes(30), 256U << 20};
constexpr unsigned kBytesPerKbShift = 10;
constexpr int kUnknownLengthRange = 100;
// While the server sends nothing, the dialog's times are brought up to date this often.
constexpr std::chrono::seconds kProgressRefresh(1);

constexpr int kProgressStyle = progress_style::kAppModal | progress_style::kAutoHide |
                               progress_style::kElapsedTime | progress_style::kEstimatedTime |
                               progress_style::kSmooth | progress_style::kRemainingTime;

int KbOf(std::uint64_t bytes) {
  return static_cast<int>(static_cast<std::uint32_t>(bytes >> kBytesPerKbShift));
}

// The dialog counts in int, so its range and value stop at INT_MAX.
int ClampToInt(std::uint64_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

wxString ProgressText(const wxString& fileName, const DownloadProgress& progress) {
  return progress.sizeKnown
             ? DownloadProgressText(fileName, progress.receivedBytes, progress.sizeBytes)
             : wxS("Download ") + fileName + wxString::Format(wxS(" %iKB"), KbOf(progress.receivedBytes));
}

int ProgressRange(const DownloadProgress& progress) {
  return progress.sizeKnown ? ClampToInt(progress.sizeBytes) : kUnknownLengthRange;
}

void ShowProgress(ProgressView& view, const wxString& fileName, const DownloadProgress& progress) {
  if (progress.sizeKnown) {
    view.Update(ClampToInt(progress.receivedBytes), ProgressText(fileName, progress));
  } else {
    view.Pulse(ProgressText(fileName, progress));
  }
}

// A file that could not be had at all, or not be written or put in place, is worth a word; a
// transfer that broke off or was stopped says nothing, and an address that is no URL touches
// nothing.
bool IsWorthABox(DownloadResult result) {
  return result == DownloadResult::kNoAnswer || result == DownloadResult::kTooLarge ||
         result == DownloadResult::kWriteFailed;
}

}  // namespace

wxString EncodeUrlPathBlanks(const wxString& name) {
  wxString encoded = name;
  encoded.Replace(wxS(" "), wxS("%20"));
  return encoded;
}

wxString DownloadProgressText(const wxString& fileName, std::uint64_t receivedBytes,
                              std::uint64_t sizeBytes) {
  return wxS("Download ") + fileName +
         wxString::Format(wxS(" %iKB from %iKB"), KbOf(receivedBytes), KbOf(sizeBytes));
}

ClUpdater::ClUpdater(wxWindow* parent)
    : Parent(parent),
      UrlBase(services::UpdateHostUrl() + wxS("/source/")),
      FileName(wxS("Nubivane Lite Setup.exe")) {}

ClUpdater::~ClUpdater() = default;

void ClUpdater::SetWaits(const DownloadStop* stop, std::function<void()> waiting) {
  Stop = stop;
  Waiting = std::move(waiting);
}

bool ClUpdater::Download() {
  // A stop before the start: not even the partial file is made.
  if (Stop != nullptr && Stop->Raised()) {
    return false;
  }
  SupportUi& ui = CurrentSupportUi();
  DownloadOptions options;
  options.limits = kSetupLimits;
  options.stop = Stop;
  options.progress = [this, &ui](const DownloadProgress& progress) {
    if (!Progress) {
      Progress = ui.ShowProgress(wxS("Updater"), ProgressText(FileName, progress), ProgressRange(progress),
                                 Parent, kProgressStyle);
    } else {
      ShowProgress(*Progress, FileName, progress);
    }
    Shown = progress;
    ShownAt = std::chrono::steady_clock::now();
  };
  if (Waiting) {
    options.waiting = [this] {
      Waiting();
      const auto now = std::chrono::steady_clock::now();
      if (Progress && now - ShownAt >= kProgressRefresh) {
        ShowProgress(*Progress, FileName, Shown);
        ShownAt = now;
      }
    };
  }
  const DownloadResult result = DownloadFile(UrlBase + EncodeUrlPathBlanks(FileName), FileName, options);
  Progress.reset();
  if (result == DownloadResult::kComplete) {
    return true;
  }
  if (IsWorthABox(result)) {
    ui.ShowMessage(wxS("Error: File ") + FileName + wxS(" cannot be downloaded!"), wxS("Upload Error"),
                   wxOK | wxICON_ERROR, Parent);
  }
  return false;
}

bool ClUpdater::Run() {
  if (!Download()) {
    return false;
  }
  // A stop that came with the last piece: the whole file stays, but a program that is closing
  // starts nothing.
  if (Stop != nullptr && Stop->Raised()) {
    return false;
  }
  platform::ShellOpenFile(FileName);
  return true;
}
