#include "support/updater.h"

#include <climits>
#include <cstdio>

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/stream.h>
#include <wx/url.h>

#include "platform/service_addresses.h"
#include "platform/shell_open.h"

namespace {

constexpr std::size_t kPieceBytes = 4096;
constexpr int kSocketTimeoutS = 5;
constexpr unsigned kBytesPerKbShift = 10;
constexpr int kUnknownLengthRange = 100;
constexpr char kPartialSuffix[] = ".part";

constexpr int kProgressStyle = progress_style::kAppModal | progress_style::kAutoHide |
                               progress_style::kElapsedTime | progress_style::kEstimatedTime |
                               progress_style::kSmooth | progress_style::kRemainingTime;

int KbOf(std::uint64_t bytes) { return static_cast<int>(static_cast<std::uint32_t>(bytes >> kBytesPerKbShift)); }

int ClampToInt(std::uint64_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

void RemoveQuietly(const wxString& name) {
  wxLogNull quiet;
  if (wxFileExists(name)) {
    wxRemoveFile(name);
  }
}

// How one download is going; the stream's announced length is known unless the server sent
// none (or one that does not fit the dialog).
struct Transfer {
  std::uint64_t total = 0;
  std::uint64_t size = 0;
  bool sizeKnown = false;
  bool lastPieceFull = false;
};

bool ReachedEnd(const wxInputStream& in) { return in.GetLastError() == wxSTREAM_EOF; }

bool IsComplete(const Transfer& transfer) { return !transfer.sizeKnown || transfer.total == transfer.size; }

}  // namespace

wxString EncodeUrlPathBlanks(const wxString& name) {
  wxString encoded = name;
  encoded.Replace(wxS(" "), wxS("%20"));
  return encoded;
}

wxString DownloadProgressText(const wxString& fileName, std::uint64_t receivedBytes, std::uint64_t sizeBytes) {
  return wxS("Download ") + fileName +
         wxString::Format(wxS(" %iKB from %iKB"), KbOf(receivedBytes), KbOf(sizeBytes));
}

ClUpdater::ClUpdater(wxWindow* parent)
    : Parent(parent),
      UrlBase(platform::UpdateHostUrl() + wxS("/source/")),
      FileName(wxS("Nubivane Lite Setup.exe")) {}

ClUpdater::~ClUpdater() = default;

bool ClUpdater::Download() {
  wxURL url(UrlBase + EncodeUrlPathBlanks(FileName));
  if (url.GetError() != wxURL_NOERR) {
    return false;
  }
  url.GetProtocol().SetTimeout(kSocketTimeoutS);
  const wxString cannotDownload = wxS("Error: File ") + FileName + wxS(" cannot be downloaded!");
  SupportUi& ui = CurrentSupportUi();

  const wxString partialName = FileName + kPartialSuffix;
  wxLogNull quiet;  // failures are reported by the box below, not by the library's log
  wxFile file;
  if (!file.Create(partialName, true, wxS_DEFAULT)) {
    ui.ShowMessage(cannotDownload, wxS("Upload Error"), wxOK | wxICON_ERROR, Parent);
    return false;
  }
  std::unique_ptr<wxInputStream> in(url.GetInputStream());
  if (!in || in->GetLastError() != wxSTREAM_NO_ERROR) {
    in.reset();
    file.Close();
    RemoveQuietly(partialName);
    ui.ShowMessage(cannotDownload, wxS("Upload Error"), wxOK | wxICON_ERROR, Parent);
    return false;
  }

  Transfer transfer;
  const std::size_t announced = in->GetSize();
  transfer.sizeKnown = announced != ~static_cast<std::size_t>(0) && announced <= INT_MAX;
  transfer.size = transfer.sizeKnown ? announced : 0;
  const auto progressText = [&] {
    return transfer.sizeKnown ? DownloadProgressText(FileName, transfer.total, transfer.size)
                              : wxS("Download ") + FileName + wxString::Format(wxS(" %iKB"), KbOf(transfer.total));
  };
  Progress = ui.ShowProgress(wxS("Updater"), progressText(),
                             transfer.sizeKnown ? ClampToInt(transfer.size) : kUnknownLengthRange, Parent,
                             kProgressStyle);

  bool complete = false;
  char piece[kPieceBytes];
  for (;;) {
    in->Read(piece, sizeof piece);
    const std::size_t n = in->LastRead();
    if (n == 0) {
      complete = transfer.lastPieceFull && ReachedEnd(*in) && IsComplete(transfer);
      break;
    }
    if (file.Write(piece, n) != n) {
      break;
    }
    transfer.total += n;
    if (transfer.sizeKnown && transfer.total > transfer.size) {
      break;
    }
    if (transfer.sizeKnown) {
      Progress->Update(ClampToInt(transfer.total), progressText());
    } else {
      Progress->Pulse(progressText());
    }
    transfer.lastPieceFull = n == sizeof piece;
    if (ReachedEnd(*in)) {
      complete = IsComplete(transfer);
      break;
    }
  }
  Progress.reset();
  in.reset();
  const bool closed = file.Close();
  if (complete && closed && std::rename(partialName.fn_str(), FileName.fn_str()) == 0) {
    return true;
  }
  RemoveQuietly(partialName);
  return false;
}

bool ClUpdater::Run() {
  if (!Download()) {
    return false;
  }
  platform::ShellOpenFile(FileName);
  return true;
}
