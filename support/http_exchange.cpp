#include "support/http_exchange.h"

#include <wx/base64.h>
#include <wx/version.h>

#include <cctype>
#include <cstdlib>

namespace download {
namespace {

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

}  // namespace

DownloadResult HttpExchange::Open(const Target& target, const std::string& address, Transfer& transfer) {
  Io io = connection_.Open(address, target.port);
  if (io == Io::kOk) io = connection_.Send(Request(target));
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  return ReadHead(transfer);
}

// The status line and the headers.
DownloadResult HttpExchange::ReadHead(Transfer& transfer) {
  constexpr int kFirstSuccess = 200;
  constexpr int kLastSuccess = 299;
  std::size_t budget = kMaxHeadBytes;
  std::string line;
  Io io = connection_.ReadLine(line, budget);
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  const std::size_t blank = line.find(' ');
  if (line.compare(0, 5, "HTTP/") != 0 || blank == std::string::npos) return DownloadResult::kNoAnswer;
  const int status = std::atoi(line.c_str() + blank + 1);
  bool announced = false;
  std::string length;
  for (;;) {
    io = connection_.ReadLine(line, budget);
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

}  // namespace download
