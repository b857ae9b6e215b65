#include "support/download.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/protocol/ftp.h>
#include <wx/protocol/http.h>
#include <wx/sckaddr.h>
#include <wx/sckstrm.h>
#include <wx/uri.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/file_rename.h"
#include "platform/sockets.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPieceBytes = 4096;
constexpr unsigned long kHttpPort = 80;
constexpr unsigned long kFtpPort = 21;
constexpr unsigned long kLastPort = 65535;
constexpr auto kStopPoll = std::chrono::milliseconds(20);
// Far beyond any real answer's head; the library would read a longer one into memory whole.
constexpr std::uint64_t kMaxHeadBytes = 64 << 10;
constexpr char kPartialSuffix[] = ".part";

enum class Scheme { kHttp, kFtp };

// Where a URL points, as the protocol classes take it.
struct Target {
  Scheme scheme = Scheme::kHttp;
  wxString host;
  unsigned short port = 0;
  wxString path;  // as it travels: still escaped, with the query
  bool hasUser = false;
  wxString user;
  wxString password;
};

// Reads the URL as the library's URL class does, with the same failures, but without that class:
// it sends HTTP through the proxy that HTTP_PROXY named when the library started.
bool ParseTarget(const wxString& url, Target& target, DownloadResult& failure) {
  const wxURI uri(url);
  if (!uri.HasScheme()) {
    failure = DownloadResult::kBadUrl;
    return false;
  }
  const wxString scheme = uri.GetScheme().Lower();
  if (scheme != wxS("http") && scheme != wxS("ftp")) {
    failure = DownloadResult::kNoProtocol;
    return false;
  }
  target.scheme = scheme == wxS("http") ? Scheme::kHttp : Scheme::kFtp;
  unsigned long port = target.scheme == Scheme::kHttp ? kHttpPort : kFtpPort;
  if (!uri.HasServer() || uri.GetServer().empty() ||
      (uri.HasPort() && (!uri.GetPort().ToULong(&port) || port == 0 || port > kLastPort))) {
    failure = DownloadResult::kBadUrl;
    return false;
  }
  target.host = uri.GetServer();
  target.port = static_cast<unsigned short>(port);
  target.path = uri.HasPath() ? uri.GetPath() : wxString(wxS("/"));
  if (uri.HasQuery()) {
    target.path += wxS("?") + uri.GetQuery();
  }
  if (uri.HasUserInfo()) {
    target.hasUser = true;
    target.user = wxURI::Unescape(uri.GetUser());
    target.password = wxURI::Unescape(uri.GetPassword());
  }
  return true;
}

// Protocol objects are sockets: the library wants them destroyed, not deleted, so that no
// pending socket event reaches a deleted object.
struct ProtocolDestroyer {
  void operator()(wxProtocol* protocol) const { protocol->Destroy(); }
};
using ProtocolPtr = std::unique_ptr<wxProtocol, ProtocolDestroyer>;

// The library's HTTP class, opened as the library opens it but in two steps, so that the
// connection can be watched from before the request goes out: the library's own opening would
// read the answer's head with nothing but the read time-out bounding each wait, and a server
// that never ends the head would hold the caller for good.
class WatchedHttp : public wxHTTP {
 public:
  // The library's GetInputStream, with connected told of the socket once it stands.
  wxInputStream* Open(const wxString& path, const std::function<void(std::intptr_t socket)>& connected) {
    m_lastError = wxPROTO_CONNERR;
    if (m_addr == nullptr || !wxProtocol::Connect(*m_addr)) {
      return nullptr;
    }
    connected(static_cast<std::intptr_t>(GetSocket()));
    if (!BuildRequest(path, wxS("GET"))) {
      return nullptr;
    }
    m_lastError = wxPROTO_NOERR;
    return new wxSocketInputStream(*this);
  }
};

// The library's time-out bounds each wait of connecting and, for FTP, of logging in.
//
// Those waits ask the system whether the socket is ready. On the GUI thread the library would
// otherwise wait for the window messages Windows sends of a socket, and Windows tells that data
// has come once, until the next read: a notice the library has taken or dropped before the data
// stood is not sent again, and the FTP server's greeting, which comes unasked, then looks like a
// server that never answered. No window event runs in the middle of a download either.
ProtocolPtr Connect(const Target& target, std::chrono::seconds readTimeout) {
  wxIPV4address address;
  if (!address.Hostname(target.host) || !address.Service(target.port)) {
    return nullptr;
  }
  ProtocolPtr protocol(target.scheme == Scheme::kHttp ? static_cast<wxProtocol*>(new WatchedHttp)
                                                      : static_cast<wxProtocol*>(new wxFTP));
  protocol->SetFlags(protocol->GetFlags() | wxSOCKET_BLOCK);
  protocol->SetTimeout(static_cast<long>(readTimeout.count()));
  if (target.hasUser) {
    protocol->SetUser(target.user);
    protocol->SetPassword(target.password);
  }
  if (!protocol->Connect(address)) {
    return nullptr;
  }
  return protocol;
}

// The library hands over the body of every answer it does not count as failed, a redirection's
// page or an interim answer included: only a success carries the resource.
bool IsResourceAnswer(const wxProtocol& protocol) {
  constexpr int kFirstSuccess = 200;
  constexpr int kLastSuccess = 299;
  const auto* http = dynamic_cast<const wxHTTP*>(&protocol);
  return http == nullptr || (http->GetResponse() >= kFirstSuccess && http->GetResponse() <= kLastSuccess);
}

// The socket a protocol's stream reads. The library keeps it to itself, and for FTP it is not
// the protocol's own (that one carries the commands); both streams are socket streams.
class StreamSocket : public wxSocketInputStream {
 public:
  static wxSocketBase* Of(wxInputStream& in) {
    auto* socketStream = dynamic_cast<wxSocketInputStream*>(&in);
    return socketStream == nullptr ? nullptr : socketStream->*(&StreamSocket::m_i_socket);
  }
};

// How the reads of the body are bounded: by the system, or by the library's own wait in steps.
struct ReadBound {
  std::chrono::seconds limit;
  bool inSteps = false;
};

// Once the body flows, the library reads a blocking socket: only the system's receive time-out
// bounds a read. After a read the system let time out, the library would wait its own time-out
// once more; with that set to nothing, a silent stretch ends after exactly the read time-out.
// Where the system's bound does not hold, the library waits a second at a time (a cut connection
// does not end its wait there), and the silence is counted here.
ReadBound BoundReads(wxSocketBase& socket, std::chrono::seconds limit) {
  constexpr long kStepS = 1;
  socket.SetFlags(socket.GetFlags() | wxSOCKET_BLOCK);
  const bool systemBounds = platform::SetReceiveTimeout(static_cast<std::intptr_t>(socket.GetSocket()),
                                                        static_cast<int>(limit.count()));
  socket.SetTimeout(systemBounds ? 0 : kStepS);
  return ReadBound{limit, !systemBounds};
}

enum class Cut { kNone, kDeadline, kStop, kTooLarge };

// Watches a transfer from a thread of its own and cuts its connections when the deadline passes,
// the caller raises its stop, or the head of the answer grows beyond any real one (the library
// reads it, so only the connection can tell): a socket shut down ends a read blocked on it at
// once. The watch holds duplicates of the descriptors, so a socket that the library closes in
// the meantime can never be mistaken for another that took its number.
class TransferGuard {
 public:
  TransferGuard(Clock::time_point deadline, const DownloadStop* stop) : deadline_(deadline), stop_(stop) {
    try {
      watch_ = std::thread([this] { Watch(); });
    } catch (const std::system_error&) {
      // Without a watch the read time-out still bounds every wait.
    }
  }
  ~TransferGuard() {
    Finish();
    for (const std::intptr_t copy : copies_) {
      platform::CloseSocketCopy(copy);
    }
  }
  TransferGuard(const TransferGuard&) = delete;
  TransferGuard& operator=(const TransferGuard&) = delete;

  // A connection of the transfer, as soon as it stands; one that comes after a cut is cut at once.
  void Watch(std::intptr_t socket) {
    const std::intptr_t copy = platform::CopySocket(socket);
    if (copy == -1) {
      return;
    }
    std::lock_guard<std::mutex> guard(lock_);
    copies_.push_back(copy);
    if (cut_ != Cut::kNone) {
      platform::CutSocket(copy);
    }
  }
  // The head of the answer has been read: from here on the body is counted as it is read.
  void HeadRead() {
    std::lock_guard<std::mutex> guard(lock_);
    headRead_ = true;
  }
  // Ends the watch; says whether and why it cut the connections.
  Cut Finish() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      finished_ = true;
    }
    wake_.notify_all();
    if (watch_.joinable()) {
      watch_.join();
    }
    return cut_;
  }
  void CutNow() {
    std::lock_guard<std::mutex> guard(lock_);
    CutLocked();
  }

 private:
  void CutLocked() {
    for (const std::intptr_t copy : copies_) {
      platform::CutSocket(copy);
    }
  }

  void Watch() {
    std::unique_lock<std::mutex> lock(lock_);
    while (!finished_) {
      if (stop_ != nullptr && stop_->Raised()) {
        cut_ = Cut::kStop;
      } else if (Clock::now() >= deadline_) {
        cut_ = Cut::kDeadline;
      } else if (!headRead_ && HeadTooLarge()) {
        cut_ = Cut::kTooLarge;
      }
      if (cut_ != Cut::kNone) {
        CutLocked();
        return;
      }
      wake_.wait_until(lock, std::min(deadline_, Clock::now() + kStopPoll), [this] { return finished_; });
    }
  }

  bool HeadTooLarge() const {
    return std::any_of(copies_.begin(), copies_.end(),
                       [](std::intptr_t copy) { return platform::BytesTaken(copy) > kMaxHeadBytes; });
  }

  const Clock::time_point deadline_;
  const DownloadStop* const stop_;
  std::vector<std::intptr_t> copies_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool headRead_ = false;
  bool finished_ = false;
  Cut cut_ = Cut::kNone;
  std::thread watch_;
};

struct Transfer {
  std::uint64_t received = 0;
  std::uint64_t size = 0;
  bool sizeKnown = false;
};

// An FTP server announces no size. The library reads an HTTP length as an int, so that "abc"
// would be a length of 0 and 4294967301 one of 5: the length is read here instead, and only
// digits make one. False when the answer carries a length that is none.
bool AnnouncedTransfer(const wxProtocol& protocol, Transfer& transfer) {
  transfer = Transfer{};
  const auto* http = dynamic_cast<const wxHTTP*>(&protocol);
  const wxString text = http == nullptr ? wxString() : http->GetHeader(wxS("Content-Length"));
  if (text.empty()) {
    return true;
  }
  constexpr std::uint64_t kLargest = ~std::uint64_t{0};
  std::uint64_t length = 0;
  for (const wxUniChar c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    const std::uint64_t digit = static_cast<std::uint64_t>(c.GetValue() - '0');
    length = length > (kLargest - digit) / 10 ? kLargest : length * 10 + digit;
  }
  transfer.sizeKnown = true;
  transfer.size = length;
  return true;
}

void Report(const DownloadOptions& options, const Transfer& transfer) {
  if (options.progress) {
    options.progress(DownloadProgress{transfer.received, transfer.size, transfer.sizeKnown});
  }
}

bool StopRaised(const DownloadOptions& options) { return options.stop != nullptr && options.stop->Raised(); }

using Sink = std::function<bool(const char* bytes, std::size_t count)>;

// Reads piece by piece; a known length is never read beyond. The stream fills a piece unless it
// ends or fails on the way, so a short piece ends the transfer: without a length it is whole
// only at the stream's end after an orderly close (the stream takes a reset for an end too).
DownloadResult ReadPieces(wxInputStream& in, const wxSocketBase& socket, const ReadBound& bound,
                          const DownloadOptions& options, Transfer& transfer, const Sink& sink) {
  char piece[kPieceBytes];
  Clock::time_point lastData = Clock::now();
  for (;;) {
    if (transfer.sizeKnown && transfer.received == transfer.size) {
      return DownloadResult::kComplete;
    }
    if (StopRaised(options)) {
      return DownloadResult::kStopped;
    }
    const std::size_t wanted = transfer.sizeKnown ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                                        kPieceBytes, transfer.size - transfer.received))
                                                  : kPieceBytes;
    in.Read(piece, wanted);
    const std::size_t n = in.LastRead();
    if (n > 0) {
      if (transfer.received + n > options.limits.maxBytes) {
        return DownloadResult::kTooLarge;
      }
      if (!sink(piece, n)) {
        return DownloadResult::kWriteFailed;
      }
      transfer.received += n;
      lastData = Clock::now();
      Report(options, transfer);
    }
    const bool stepEnded = bound.inSteps && socket.LastError() == wxSOCKET_TIMEDOUT && !socket.IsClosed();
    if (n < wanted && stepEnded && Clock::now() - lastData < bound.limit) {
      continue;
    }
    if (n < wanted) {
      const bool endedInOrder = in.GetLastError() == wxSTREAM_EOF && socket.IsClosed() &&
                                !platform::ConnectionWasReset(static_cast<std::intptr_t>(socket.GetSocket()));
      return !transfer.sizeKnown && endedInOrder ? DownloadResult::kComplete : DownloadResult::kBroken;
    }
  }
}

// An FTP server confirms a whole transfer on its command connection once the data connection
// has ended; the stream reads that answer when it is deleted.
bool ServerConfirmed(const wxProtocol& protocol) {
  const auto* ftp = dynamic_cast<const wxFTP*>(&protocol);
  return ftp == nullptr || ftp->GetLastResult().StartsWith(wxS("2"));
}

// A cut says why the transfer ended, whatever the library made of it.
DownloadResult CutResult(Cut cut, DownloadResult otherwise) {
  switch (cut) {
    case Cut::kStop:
      return DownloadResult::kStopped;
    case Cut::kDeadline:
      return DownloadResult::kTimedOut;
    case Cut::kTooLarge:
      return DownloadResult::kTooLarge;
    case Cut::kNone:
      break;
  }
  return otherwise;
}

DownloadResult Fetch(const Target& target, const DownloadOptions& options, Clock::time_point deadline,
                     const Sink& sink) {
  if (StopRaised(options)) {
    return DownloadResult::kStopped;
  }
  // Watched from the first connection on, so that the deadline and the stop hold while the head
  // of the answer is read as well.
  TransferGuard guard(deadline, options.stop);
  ProtocolPtr protocol = Connect(target, options.limits.readTimeout);
  if (!protocol) {
    return CutResult(guard.Finish(), DownloadResult::kNoAnswer);
  }
  std::unique_ptr<wxInputStream> in;
  if (auto* http = dynamic_cast<WatchedHttp*>(protocol.get())) {
    in.reset(http->Open(target.path, [&guard](std::intptr_t socket) { guard.Watch(socket); }));
  } else {
    guard.Watch(static_cast<std::intptr_t>(protocol->GetSocket()));
    in.reset(protocol->GetInputStream(target.path));
  }
  wxSocketBase* socket = in ? StreamSocket::Of(*in) : nullptr;
  if (!in || in->GetLastError() != wxSTREAM_NO_ERROR || !IsResourceAnswer(*protocol) || socket == nullptr) {
    return CutResult(guard.Finish(), DownloadResult::kNoAnswer);
  }
  Transfer transfer;
  if (!AnnouncedTransfer(*protocol, transfer)) {
    return CutResult(guard.Finish(), DownloadResult::kNoAnswer);
  }
  if (transfer.sizeKnown && transfer.size > options.limits.maxBytes) {
    return DownloadResult::kTooLarge;
  }
  guard.HeadRead();
  if (socket != protocol.get()) {
    guard.Watch(static_cast<std::intptr_t>(socket->GetSocket()));  // FTP's data connection
  }
  const ReadBound bound = BoundReads(*socket, options.limits.readTimeout);
  Report(options, transfer);
  const DownloadResult read = ReadPieces(*in, *socket, bound, options, transfer, sink);
  DownloadResult result = CutResult(guard.Finish(), read);
  if (result != DownloadResult::kComplete) {
    // Nothing more is wanted: the library need not wait for the server (a cut connection does
    // not end its wait everywhere, so it does not wait at all).
    guard.CutNow();
    protocol->SetTimeout(0);
  }
  in.reset();
  if (result == DownloadResult::kComplete && !ServerConfirmed(*protocol)) {
    result = DownloadResult::kBroken;
  }
  return result;
}

// Every download starts alike: the deadline counts from here, and an address that names no
// resource touches nothing. prepare runs once the address is good, before the server is asked.
DownloadResult Run(const wxString& url, const DownloadOptions& options, const std::function<bool()>& prepare,
                   const Sink& sink) {
  const Clock::time_point deadline = Clock::now() + options.limits.deadline;
  Target target;
  DownloadResult failure = DownloadResult::kBadUrl;
  if (!ParseTarget(url, target, failure)) {
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
