#include "support/download.h"

#include <wx/base64.h>
#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/uri.h>
#include <wx/version.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/file_rename.h"
#include "platform/sockets.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPieceBytes = 4096;
constexpr unsigned long kHttpPort = 80;
constexpr unsigned long kFtpPort = 21;
constexpr unsigned long kLastPort = 65535;
// Far beyond any real answer's head (or FTP reply): a longer one is refused, not read whole.
constexpr std::size_t kMaxHeadBytes = 64 << 10;
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

// The longest any wait of a download goes without asking the caller's waiting hook and looking at
// the stop and the deadline.
constexpr int kSliceMs = 25;

// Why an exchange on a connection did not give what was wanted.
enum class Io { kOk, kEnded, kReset, kSilent, kFailed, kTooLong, kStopped, kTimedOut };

// Every wait of a download is cut into slices; between them the caller's hook runs and the stop,
// the deadline and the read time-out are looked at, so none of them waits for a read to end.
class Pacer {
 public:
  Pacer(const DownloadOptions& options, Clock::time_point deadline)
      : options_(options), deadline_(deadline) {}

  // Whether the download may go on at all.
  Io Going() const {
    if (options_.stop != nullptr && options_.stop->Raised()) return Io::kStopped;
    if (Clock::now() >= deadline_) return Io::kTimedOut;
    return Io::kOk;
  }
  // After a slice in which nothing came, of a wait that began at since.
  Io Waited(Clock::time_point since) const {
    if (options_.waiting) options_.waiting();
    const Io going = Going();
    if (going != Io::kOk) return going;
    return Clock::now() - since >= options_.limits.readTimeout ? Io::kSilent : Io::kOk;
  }
  int ReadTimeoutMs() const {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(options_.limits.readTimeout).count());
  }

 private:
  const DownloadOptions& options_;
  const Clock::time_point deadline_;
};

// One TCP connection of a download. Every read is ours, so a reset is seen wherever it comes; what
// arrived beyond a line waits for the next read.
class Connection {
 public:
  explicit Connection(const Pacer& pacer) : pacer_(pacer) {}

  Io Open(const std::string& address, unsigned short port) {
    const Io going = pacer_.Going();
    if (going != Io::kOk) return going;
    platform::SocketResult result = client_.StartConnect(address, port);
    const Clock::time_point since = Clock::now();
    while (result == platform::SocketResult::kPending) {
      result = client_.FinishConnect(kSliceMs);
      if (result != platform::SocketResult::kPending) break;
      const Io waited = pacer_.Waited(since);
      if (waited != Io::kOk) return waited;
    }
    return result == platform::SocketResult::kOk ? Io::kOk : Io::kFailed;
  }

  // Requests and commands are far smaller than any send buffer: a send does not wait.
  Io Send(const std::string& bytes) {
    const Io going = pacer_.Going();
    if (going != Io::kOk) return going;
    return client_.SendAll(bytes.data(), bytes.size(), pacer_.ReadTimeoutMs()) == platform::SocketResult::kOk
               ? Io::kOk
               : Io::kFailed;
  }

  // One line without its end ("\r\n" or "\n"); budget is what the lines of one head may still
  // take, so that a head that never ends is refused once it has taken that much.
  Io ReadLine(std::string& line, std::size_t& budget) {
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        if (end + 1 > budget) return Io::kTooLong;
        budget -= end + 1;
        line.assign(pending_, 0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pending_.erase(0, end + 1);
        return Io::kOk;
      }
      if (pending_.size() > budget) return Io::kTooLong;
      char piece[kPieceBytes];
      std::size_t count = 0;
      const Io received = Receive(piece, sizeof piece, count);
      if (received != Io::kOk) return received;
      pending_.append(piece, count);
    }
  }

  // At least one byte and at most capacity, what the head left over first.
  Io ReadSome(char* buffer, std::size_t capacity, std::size_t& count) {
    if (!pending_.empty()) {
      count = std::min(capacity, pending_.size());
      std::copy_n(pending_.data(), count, buffer);
      pending_.erase(0, count);
      return Io::kOk;
    }
    return Receive(buffer, capacity, count);
  }

 private:
  Io Receive(char* buffer, std::size_t capacity, std::size_t& count) {
    count = 0;
    const Io going = pacer_.Going();
    if (going != Io::kOk) return going;
    const Clock::time_point since = Clock::now();
    for (;;) {
      switch (client_.ReceiveSome(buffer, capacity, kSliceMs, count)) {
        case platform::SocketResult::kOk:
          return Io::kOk;
        case platform::SocketResult::kPending:
          break;
        case platform::SocketResult::kClosed:
          return Io::kEnded;
        case platform::SocketResult::kReset:
          return Io::kReset;
        default:
          return Io::kFailed;
      }
      const Io waited = pacer_.Waited(since);
      if (waited != Io::kOk) return waited;
    }
  }

  const Pacer& pacer_;
  platform::TcpClient client_;
  std::string pending_;
};

// A stop, the deadline and an endless head say why an exchange ended, whatever stage it was in.
DownloadResult Failure(Io io, DownloadResult otherwise) {
  switch (io) {
    case Io::kStopped:
      return DownloadResult::kStopped;
    case Io::kTimedOut:
      return DownloadResult::kTimedOut;
    case Io::kTooLong:
      return DownloadResult::kTooLarge;
    default:
      return otherwise;
  }
}

struct Transfer {
  std::uint64_t received = 0;
  std::uint64_t size = 0;
  bool sizeKnown = false;
};

// Only digits make a length ("abc" is none, and 4294967301 is not 5). False when the answer
// carries a length that is none.
bool AnnouncedTransfer(const std::string& text, bool announced, Transfer& transfer) {
  transfer = Transfer{};
  if (!announced) return true;
  if (text.empty()) return false;
  constexpr std::uint64_t kLargest = ~std::uint64_t{0};
  std::uint64_t length = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<std::uint64_t>(c - '0');
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

using Sink = std::function<bool(const char* bytes, std::size_t count)>;

// Reads piece by piece, each filled unless the transfer ends or fails on the way; a known length
// is never read beyond. Without a length the resource is whole only at an orderly end: a reset,
// wherever it comes, breaks the transfer.
DownloadResult ReadBody(Connection& connection, const Pacer& pacer, const DownloadOptions& options,
                        Transfer& transfer, const Sink& sink) {
  char piece[kPieceBytes];
  for (;;) {
    if (transfer.sizeKnown && transfer.received == transfer.size) return DownloadResult::kComplete;
    const Io going = pacer.Going();
    if (going != Io::kOk) return Failure(going, DownloadResult::kBroken);
    const std::size_t wanted = transfer.sizeKnown ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                                        kPieceBytes, transfer.size - transfer.received))
                                                  : kPieceBytes;
    std::size_t filled = 0;
    Io read = Io::kOk;
    while (filled < wanted && read == Io::kOk) {
      std::size_t n = 0;
      read = connection.ReadSome(piece + filled, wanted - filled, n);
      filled += n;
    }
    if (filled > 0) {
      if (transfer.received + filled > options.limits.maxBytes) return DownloadResult::kTooLarge;
      if (!sink(piece, filled)) return DownloadResult::kWriteFailed;
      transfer.received += filled;
      Report(options, transfer);
    }
    if (read == Io::kEnded) return transfer.sizeKnown ? DownloadResult::kBroken : DownloadResult::kComplete;
    if (read != Io::kOk) return Failure(read, DownloadResult::kBroken);
  }
}

std::string Ascii(const wxString& text) { return std::string(text.ToUTF8().data()); }

bool EqualsNoCase(const std::string& a, const char* b) {
  const std::size_t length = std::char_traits<char>::length(b);
  if (a.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string HttpRequest(const Target& target) {
  std::string request = "GET " + Ascii(target.path) + " HTTP/1.0\r\nHost: " + Ascii(target.host);
  if (target.port != kHttpPort) request += ":" + std::to_string(target.port);
  request += "\r\nUser-Agent: " + Ascii(wxVERSION_STRING) + "\r\n";
  if (target.hasUser) {
    const std::string credentials = Ascii(target.user + wxS(":") + target.password);
    request +=
        "Authorization: Basic " + Ascii(wxBase64Encode(credentials.data(), credentials.size())) + "\r\n";
  }
  return request + "\r\n";
}

// The status line and the headers; only a 2xx answer carries the resource (a redirection's or an
// error's page, or an interim answer, is none).
DownloadResult ReadHttpHead(Connection& connection, Transfer& transfer) {
  constexpr int kFirstSuccess = 200;
  constexpr int kLastSuccess = 299;
  std::size_t budget = kMaxHeadBytes;
  std::string line;
  Io io = connection.ReadLine(line, budget);
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  const std::size_t blank = line.find(' ');
  if (line.compare(0, 5, "HTTP/") != 0 || blank == std::string::npos) return DownloadResult::kNoAnswer;
  const int status = std::atoi(line.c_str() + blank + 1);
  bool announced = false;
  std::string length;
  for (;;) {
    io = connection.ReadLine(line, budget);
    if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
    if (line.empty()) break;
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos && EqualsNoCase(Trimmed(line.substr(0, colon)), "Content-Length")) {
      announced = true;
      length = Trimmed(line.substr(colon + 1));
    }
  }
  if (status < kFirstSuccess || status > kLastSuccess || !AnnouncedTransfer(length, announced, transfer)) {
    return DownloadResult::kNoAnswer;
  }
  return DownloadResult::kComplete;
}

DownloadResult FetchHttp(const Target& target, const std::string& address, const Pacer& pacer,
                         const DownloadOptions& options, const Sink& sink) {
  Connection connection(pacer);
  Io io = connection.Open(address, target.port);
  if (io == Io::kOk) io = connection.Send(HttpRequest(target));
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  Transfer transfer;
  const DownloadResult head = ReadHttpHead(connection, transfer);
  if (head != DownloadResult::kComplete) return head;
  if (transfer.sizeKnown && transfer.size > options.limits.maxBytes) return DownloadResult::kTooLarge;
  Report(options, transfer);
  return ReadBody(connection, pacer, options, transfer, sink);
}

// One FTP reply, its lines of continuation included; code is its three digits.
Io ReadFtpReply(Connection& control, int& code) {
  std::size_t budget = kMaxHeadBytes;
  std::string line;
  Io io = control.ReadLine(line, budget);
  if (io != Io::kOk) return io;
  if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
      !std::isdigit(static_cast<unsigned char>(line[1])) ||
      !std::isdigit(static_cast<unsigned char>(line[2]))) {
    return Io::kFailed;
  }
  code = std::atoi(line.substr(0, 3).c_str());
  if (line.size() > 3 && line[3] == '-') {
    const std::string last = line.substr(0, 3) + " ";
    do {
      io = control.ReadLine(line, budget);
      if (io != Io::kOk) return io;
    } while (line.compare(0, 4, last) != 0 && line != last.substr(0, 3));
  }
  return Io::kOk;
}

Io FtpCommand(Connection& control, const std::string& command, int& code) {
  const Io sent = control.Send(command + "\r\n");
  return sent == Io::kOk ? ReadFtpReply(control, code) : sent;
}

// The data port of a passive-mode reply: "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)". The
// data connection goes to the host of the commands, whatever address the server names.
bool PassivePort(const std::string& reply, unsigned short& port) {
  std::size_t at = reply.find_first_of("0123456789", 3);
  unsigned long numbers[6] = {};
  for (unsigned long& number : numbers) {
    if (at == std::string::npos || !std::isdigit(static_cast<unsigned char>(reply[at]))) return false;
    char* end = nullptr;
    number = std::strtoul(reply.c_str() + at, &end, 10);
    at = static_cast<std::size_t>(end - reply.c_str());
    if (number > 255) return false;
    if (at < reply.size() && reply[at] == ',') ++at;
  }
  port = static_cast<unsigned short>(numbers[4] * 256 + numbers[5]);
  return port != 0;
}

DownloadResult FetchFtp(const Target& target, const std::string& address, const Pacer& pacer,
                        const DownloadOptions& options, const Sink& sink) {
  const auto answered = [](Io io, int code, int wanted) { return io == Io::kOk && code / 100 == wanted; };
  Connection control(pacer);
  int code = 0;
  Io io = control.Open(address, target.port);
  if (io == Io::kOk) io = ReadFtpReply(control, code);
  if (!answered(io, code, 2)) return Failure(io, DownloadResult::kNoAnswer);
  io = FtpCommand(control, "USER " + (target.hasUser ? Ascii(target.user) : std::string("anonymous")), code);
  if (io == Io::kOk && code / 100 == 3) {
    io = FtpCommand(control, "PASS " + (target.hasUser ? Ascii(target.password) : std::string("anonymous@")),
                    code);
  }
  if (!answered(io, code, 2)) return Failure(io, DownloadResult::kNoAnswer);
  io = FtpCommand(control, "TYPE I", code);
  if (!answered(io, code, 2)) return Failure(io, DownloadResult::kNoAnswer);
  io = control.Send("PASV\r\n");
  std::size_t budget = kMaxHeadBytes;
  std::string reply;
  if (io == Io::kOk) io = control.ReadLine(reply, budget);
  unsigned short dataPort = 0;
  if (io != Io::kOk || reply.compare(0, 4, "227 ") != 0 || !PassivePort(reply, dataPort)) {
    return Failure(io, DownloadResult::kNoAnswer);
  }
  Connection data(pacer);
  io = data.Open(address, dataPort);
  if (io == Io::kOk) io = FtpCommand(control, "RETR " + Ascii(target.path), code);
  if (!answered(io, code, 1)) return Failure(io, DownloadResult::kNoAnswer);
  Transfer transfer;
  Report(options, transfer);
  const DownloadResult result = ReadBody(data, pacer, options, transfer, sink);
  if (result != DownloadResult::kComplete) return result;
  // The server confirms a whole transfer on its command connection once the data has ended.
  io = ReadFtpReply(control, code);
  return answered(io, code, 2) ? result : Failure(io, DownloadResult::kBroken);
}

DownloadResult Fetch(const Target& target, const DownloadOptions& options, Clock::time_point deadline,
                     const Sink& sink) {
  const Pacer pacer(options, deadline);
  if (pacer.Going() == Io::kStopped) return DownloadResult::kStopped;
  std::string address;
  if (!platform::ResolveIPv4(Ascii(target.host), address)) return DownloadResult::kNoAnswer;
  return target.scheme == Scheme::kHttp ? FetchHttp(target, address, pacer, options, sink)
                                        : FetchFtp(target, address, pacer, options, sink);
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
