#include "support/updater.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/protocol/http.h>
#include <wx/protocol/protocol.h>
#include <wx/stream.h>
#include <wx/url.h>

#include <climits>
#include <cstdio>

#include "platform/file_rename.h"
#include "platform/service_addresses.h"
#include "platform/shell_open.h"
#include "platform/sockets.h"

namespace {

constexpr std::size_t kPieceBytes = 4096;
constexpr int kSocketTimeoutS = 5;
constexpr unsigned kBytesPerKbShift = 10;
constexpr int kUnknownLengthRange = 100;
constexpr char kPartialSuffix[] = ".part";

constexpr int kProgressStyle = progress_style::kAppModal | progress_style::kAutoHide |
                               progress_style::kElapsedTime | progress_style::kEstimatedTime |
                               progress_style::kSmooth | progress_style::kRemainingTime;

int KbOf(std::uint64_t bytes) {
  return static_cast<int>(static_cast<std::uint32_t>(bytes >> kBytesPerKbShift));
}

int ClampToInt(std::uint64_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

void RemoveQuietly(const wxString& name) {
  wxLogNull quiet;
  if (wxFileExists(name)) {
    wxRemoveFile(name);
  }
}

// How one download is going; the stream's announced length is known unless the server sent
// none. The dialog counts in int, so its range and value stop at INT_MAX.
struct Transfer {
  std::uint64_t total = 0;
  std::uint64_t size = 0;
  bool sizeKnown = false;
  bool lastPieceFull = false;
};

enum class Outcome { kComplete, kBroken, kWriteFailed };

Transfer AnnouncedTransfer(const wxInputStream& in) {
  Transfer transfer;
  const std::size_t announced = in.GetSize();
  transfer.sizeKnown = announced != ~static_cast<std::size_t>(0);
  transfer.size = transfer.sizeKnown ? announced : 0;
  return transfer;
}

wxString ProgressText(const wxString& fileName, const Transfer& transfer) {
  return transfer.sizeKnown
             ? DownloadProgressText(fileName, transfer.total, transfer.size)
             : wxS("Download ") + fileName + wxString::Format(wxS(" %iKB"), KbOf(transfer.total));
}

int ProgressRange(const Transfer& transfer) {
  return transfer.sizeKnown ? ClampToInt(transfer.size) : kUnknownLengthRange;
}

// The library hands over the body of every answer it does not count as failed, a redirection's
// page or an interim answer included: only a success carries the file.
bool IsFileAnswer(const wxProtocol& protocol) {
  constexpr int kFirstSuccess = 200;
  constexpr int kLastSuccess = 299;
  const auto* http = dynamic_cast<const wxHTTP*>(&protocol);
  return http == nullptr || (http->GetResponse() >= kFirstSuccess && http->GetResponse() <= kLastSuccess);
}

// Once the answer has begun, the library reads from a blocking socket and its own time-out no
// longer bounds a read: a server that stops sending would hold the GUI thread for good. The
// operating system's receive time-out bounds every read again.
void BoundReads(wxProtocol& protocol) {
  platform::SetReceiveTimeout(static_cast<std::intptr_t>(protocol.GetSocket()), kSocketTimeoutS);
}

bool ReachedEnd(const wxInputStream& in) { return in.GetLastError() == wxSTREAM_EOF; }

// Without a length, the stream turns a reset connection into an end like any other; only an
// orderly close of the connection tells that the server sent everything.
bool IsComplete(const Transfer& transfer, const wxProtocol& protocol) {
  if (transfer.sizeKnown) return transfer.total == transfer.size;
  return protocol.IsClosed() &&
         !platform::ConnectionWasReset(static_cast<std::intptr_t>(protocol.GetSocket()));
}

void ShowProgress(ProgressView& progress, const wxString& fileName, const Transfer& transfer) {
  if (transfer.sizeKnown) {
    progress.Update(ClampToInt(transfer.total), ProgressText(fileName, transfer));
  } else {
    progress.Pulse(ProgressText(fileName, transfer));
  }
}

// Streams the file to disk piece by piece. A read that yields nothing ends the transfer: it is
// whole only after a full piece and at the stream's end, like a read that reaches the end.
Outcome ReceiveInto(wxInputStream& in, const wxProtocol& protocol, wxFile& file, ProgressView& progress,
                    const wxString& fileName, Transfer& transfer) {
  char piece[kPieceBytes];
  for (;;) {
    in.Read(piece, sizeof piece);
    const std::size_t n = in.LastRead();
    if (n == 0) {
      return transfer.lastPieceFull && ReachedEnd(in) && IsComplete(transfer, protocol) ? Outcome::kComplete
                                                                                        : Outcome::kBroken;
    }
    if (file.Write(piece, n) != n) {
      return Outcome::kWriteFailed;
    }
    transfer.total += n;
    if (transfer.sizeKnown && transfer.total > transfer.size) {
      return Outcome::kBroken;
    }
    ShowProgress(progress, fileName, transfer);
    transfer.lastPieceFull = n == sizeof piece;
    if (ReachedEnd(in)) {
      return IsComplete(transfer, protocol) ? Outcome::kComplete : Outcome::kBroken;
    }
  }
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
      UrlBase(platform::UpdateHostUrl() + wxS("/source/")),
      FileName(wxS("Nubivane Lite Setup.exe")) {}

ClUpdater::~ClUpdater() = default;

bool ClUpdater::Download() {
  wxURL url(UrlBase + EncodeUrlPathBlanks(FileName));
  if (url.GetError() != wxURL_NOERR) {
    return false;
  }
  url.GetProtocol().SetTimeout(kSocketTimeoutS);
  SupportUi& ui = CurrentSupportUi();
  const auto reportFailure = [&] {
    ui.ShowMessage(wxS("Error: File ") + FileName + wxS(" cannot be downloaded!"), wxS("Upload Error"),
                   wxOK | wxICON_ERROR, Parent);
  };
  wxLogNull quiet;  // failures are reported by the box, not by the library's log

  const wxString partialName = FileName + kPartialSuffix;
  wxFile file;
  if (!file.Create(partialName, true, wxS_DEFAULT)) {
    reportFailure();
    return false;
  }
  std::unique_ptr<wxInputStream> in(url.GetInputStream());
  if (!in || in->GetLastError() != wxSTREAM_NO_ERROR || !IsFileAnswer(url.GetProtocol())) {
    in.reset();
    file.Close();
    RemoveQuietly(partialName);
    reportFailure();
    return false;
  }
  BoundReads(url.GetProtocol());
  Transfer transfer = AnnouncedTransfer(*in);
  Progress = ui.ShowProgress(wxS("Updater"), ProgressText(FileName, transfer), ProgressRange(transfer),
                             Parent, kProgressStyle);
  const Outcome outcome = ReceiveInto(*in, url.GetProtocol(), file, *Progress, FileName, transfer);
  Progress.reset();
  in.reset();
  const bool closed = file.Close();
  if (outcome == Outcome::kComplete && closed && platform::RenameReplacing(partialName, FileName)) {
    return true;
  }
  RemoveQuietly(partialName);
  // A file that cannot be written or put in place is worth a word; a broken transfer says nothing.
  if (outcome != Outcome::kBroken) {
    reportFailure();
  }
  return false;
}

bool ClUpdater::Run() {
  if (!Download()) {
    return false;
  }
  platform::ShellOpenFile(FileName);
  return true;
}
