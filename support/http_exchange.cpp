#include "support/http_exchange.h"

#include <wx/base64.h>
#include <wx/version.h>

#include <cctype>

namespace download {
namespace {

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

std::string Request(const Target& target) {
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

// "HTTP/1.1 200 OK": exactly three digits after the first blank, then a blank or the line's end
// ("4294967496" is not 200, nor is "200x").
bool ParseStatus(const std::string& line, int& status) {
  constexpr std::size_t kStatusDigits = 3;
  const std::size_t blank = line.find(' ');
  if (line.compare(0, 5, "HTTP/") != 0 || blank == std::string::npos) return false;
  const std::size_t first = blank + 1;
  const std::size_t end = first + kStatusDigits;
  if (line.size() < end || (line.size() > end && line[end] != ' ')) return false;
  status = 0;
  for (std::size_t i = first; i < end; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
    status = status * 10 + (line[i] - '0');
  }
  return true;
}

// What the headers say of how the body ends.
struct Framing {
  int lengths = 0;     // Content-Length headers
  std::string length;  // the first one's value
  bool lengthsDisagree = false;
  int codings = 0;     // Transfer-Encoding headers
  std::string coding;  // the first one's value
};

void NoteHeader(const std::string& line, Framing& framing) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  const std::string name = Trimmed(line.substr(0, colon));
  const std::string value = Trimmed(line.substr(colon + 1));
  if (EqualsNoCase(name, "Content-Length")) {
    if (++framing.lengths == 1) {
      framing.length = value;
    } else if (value != framing.length) {
      framing.lengthsDisagree = true;
    }
  } else if (EqualsNoCase(name, "Transfer-Encoding") && ++framing.codings == 1) {
    framing.coding = value;
  }
}

// False for a framing no download can trust: lengths that disagree (which of them is the body's?),
// a length that is no number, a transfer coding other than chunked alone (gzip would hand
// compressed bytes to the decoders), or chunked beside a length. HTTP lets the coding win over
// the length, but an answer with both comes from a confused server or proxy, and a feed has a
// fallback: such an answer is refused.
bool ReadFraming(const Framing& framing, Transfer& transfer, bool& chunked) {
  transfer = Transfer{};
  chunked = false;
  if (framing.codings > 0) {
    chunked = framing.codings == 1 && framing.lengths == 0 && EqualsNoCase(framing.coding, "chunked");
    return chunked;
  }
  if (framing.lengths == 0) return true;
  if (framing.lengthsDisagree || !ParseLength(framing.length, transfer.size)) return false;
  transfer.sizeKnown = true;
  return true;
}

}  // namespace

DownloadResult HttpExchange::Open(const Target& target, const std::string& address, Transfer& transfer) {
  Io io = connection_.Open(address, target.port);
  if (io == Io::kOk) io = connection_.Send(Request(target));
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  return ReadHead(transfer);
}

ByteSource& HttpExchange::Body() {
  if (chunkedBody_) return chunked_;
  return connection_;
}

// The status line and the headers.
DownloadResult HttpExchange::ReadHead(Transfer& transfer) {
  constexpr int kFirstSuccess = 200;
  constexpr int kLastSuccess = 299;
  std::size_t budget = kMaxHeadBytes;
  std::string line;
  Io io = connection_.ReadLine(line, budget);
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  int status = 0;
  if (!ParseStatus(line, status)) return DownloadResult::kNoAnswer;
  Framing framing;
  for (;;) {
    io = connection_.ReadLine(line, budget);
    if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
    if (line.empty()) break;
    NoteHeader(line, framing);
  }
  if (status < kFirstSuccess || status > kLastSuccess || !ReadFraming(framing, transfer, chunkedBody_)) {
    return DownloadResult::kNoAnswer;
  }
  return DownloadResult::kComplete;
}

}  // namespace download
