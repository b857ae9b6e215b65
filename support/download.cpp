#include "support/download.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/log.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/file_rename.h"
#include "platform/sockets.h"
#include "support/download_scheme.h"
#include "support/ftp_exchange.h"
#include "support/http_exchange.h"

namespace {

using download::ByteSource;
using download::Clock;
using download::FtpExchange;
using download::HttpExchange;
using download::Io;
using download::kPieceBytes;
using download::Scheme;
using download::SchemeExchange;
using download::Target;
using download::Transfer;
using download::TransferGuard;

constexpr char kPartialSuffix[] = ".part";

void Report(const DownloadOptions& options, const Transfer& transfer) {
  if (options.progress) {
    options.progress(DownloadProgress{transfer.received, transfer.size, transfer.sizeKnown});
  }
}

using Sink = std::function<bool(const char* bytes, std::size_t count)>;

// Reads piece by piece, each filled unless the transfer ends or fails on the way; a known length
// is never read beyond, a size that may grow is read to the end. Without a length the resource is
// whole only at an orderly end: a reset, wherever it comes, breaks the transfer.
DownloadResult ReadBody(ByteSource& body, const TransferGuard& guard, const DownloadOptions& options,
                        Transfer& transfer, const Sink& sink) {
  char piece[kPieceBytes];
  const bool exact = transfer.sizeKnown && !transfer.sizeMayGrow;
  for (;;) {
    if (exact && transfer.received == transfer.size) return DownloadResult::kComplete;
    const Io going = guard.Going();
    if (going != Io::kOk) return download::Failure(going, DownloadResult::kBroken);
    std::size_t wanted = exact ? static_cast<std::size_t>(
                                     std::min<std::uint64_t>(kPieceBytes, transfer.size - transfer.received))
                               : kPieceBytes;
    // Without a length, one byte beyond the cap is all it takes to refuse the resource: a small
    // cap is not waited out to the end of a piece.
    const std::uint64_t room = options.limits.maxBytes - transfer.received;
    if (room < wanted) wanted = static_cast<std::size_t>(room) + 1;
    std::size_t filled = 0;
    Io read = Io::kOk;
    while (filled < wanted && read == Io::kOk) {
      std::size_t n = 0;
      read = body.ReadSome(piece + filled, wanted - filled, n);
      filled += n;
    }
    if (filled > 0) {
      if (transfer.received + filled > options.limits.maxBytes) return DownloadResult::kTooLarge;
      if (!sink(piece, filled)) return DownloadResult::kWriteFailed;
      transfer.received += filled;
      if (transfer.sizeMayGrow && transfer.received > transfer.size) transfer.size = transfer.received;
      Report(options, transfer);
    }
    if (read == Io::kEnded) {
      const bool whole = !transfer.sizeKnown || (transfer.sizeMayGrow && transfer.received >= transfer.size);
      return whole ? DownloadResult::kComplete : DownloadResult::kBroken;
    }
    if (read != Io::kOk) return download::Failure(read, DownloadResult::kBroken);
  }
}

std::unique_ptr<SchemeExchange> ExchangeFor(Scheme scheme, const TransferGuard& guard) {
  switch (scheme) {
    case Scheme::kFtp:
      return std::make_unique<FtpExchange>(guard);
    case Scheme::kHttp:
      break;
  }
  return std::make_unique<HttpExchange>(guard);
}

DownloadResult Fetch(const Target& target, const DownloadOptions& options, Clock::time_point deadline,
                     const Sink& sink) {
  const TransferGuard guard(options, deadline);
  if (guard.Going() == Io::kStopped) return DownloadResult::kStopped;
  std::string address;
  if (!platform::ResolveIPv4(download::Ascii(target.host), address)) return DownloadResult::kNoAnswer;
  const std::unique_ptr<SchemeExchange> exchange = ExchangeFor(target.scheme, guard);
  Transfer transfer;
  const DownloadResult opened = exchange->Open(target, address, transfer);
  if (opened != DownloadResult::kComplete) return opened;
  if (transfer.sizeKnown && transfer.size > options.limits.maxBytes) return DownloadResult::kTooLarge;
  Report(options, transfer);
  const DownloadResult result = ReadBody(exchange->Body(), guard, options, transfer, sink);
  return result == DownloadResult::kComplete ? exchange->Confirmed() : result;
}

// Every download starts alike: the deadline counts from here, and an address that names no
// resource touches nothing. prepare runs once the address is good, before the server is asked.
DownloadResult Run(const wxString& url, const DownloadOptions& options, const std::function<bool()>& prepare,
                   const Sink& sink) {
  const Clock::time_point deadline = Clock::now() + options.limits.deadline;
  Target target;
  DownloadResult failure = DownloadResult::kBadUrl;
  if (!download::ParseTarget(url, target, failure)) {
    return failure;
  }
  if (!prepare()) {
    return DownloadResult::kWriteFailed;
  }
  return Fetch(target, options, deadline, sink);
}

void RemoveQuietly(const wxString& name) {
  if (wxFileExists(name)) {
    wxRemoveFile(name);
  }
}

}  // namespace

DownloadResult DownloadText(const wxString& url, wxString& text, const DownloadOptions& options) {
  wxLogNull quiet;
  std::wstring characters;
  const DownloadResult result = Run(
      url, options, [] { return true; },
      [&characters](const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
          characters.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])));
        }
        return true;
      });
  if (result == DownloadResult::kComplete) {
    text = wxString(characters);
  }
  return result;
}

DownloadResult DownloadFile(const wxString& url, const wxString& fileName, const DownloadOptions& options) {
  wxLogNull quiet;
  const wxString partialName = fileName + kPartialSuffix;
  wxFile file;
  std::uint64_t written = 0;
  DownloadResult result = Run(
      url, options, [&] { return file.Create(partialName, true, wxS_DEFAULT); },
      [&file, &written](const char* bytes, std::size_t count) {
        written += count;
        return file.Write(bytes, count) == count;
      });
  if (!file.IsOpened()) {
    return result;
  }
  const bool closed = file.Close();
  if (result == DownloadResult::kComplete && written == 0) {
    result = DownloadResult::kBroken;
  } else if (result == DownloadResult::kComplete &&
             (!closed || !platform::RenameReplacing(partialName, fileName))) {
    result = DownloadResult::kWriteFailed;
  }
  if (result != DownloadResult::kComplete) {
    RemoveQuietly(partialName);
  }
  return result;
}
