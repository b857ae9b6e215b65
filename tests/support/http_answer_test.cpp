// What an HTTP answer's head says about its body, and a chunked body read back whole: the cases
// where trusting the server's framing would take a wrong text for the whole resource.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "peers/http_peer.h"
#include "support/download.h"

namespace {

using namespace std::chrono_literals;
using testpeers::HttpPeer;
using testpeers::HttpRoute;
using Clock = std::chrono::steady_clock;

constexpr char kBefore[] = "what the text held before";
constexpr char kChunkedHead[] = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";

DownloadOptions Options(std::chrono::seconds readTimeout = 10s, std::chrono::seconds deadline = 60s,
                        std::uint64_t maxBytes = 64 << 20) {
  DownloadOptions options;
  options.limits = {readTimeout, deadline, maxBytes};
  return options;
}

// Every byte value in turn, NUL, CR and LF included.
std::string EveryByte(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 256);
  return bytes;
}

wxString AsLatin1(const std::string& bytes) {
  wxString text;
  for (const char byte : bytes)
    text.append(1, wxUniChar(static_cast<unsigned int>(static_cast<unsigned char>(byte))));
  return text;
}

// Each piece as one chunk (its size in lower-case hex), then the last chunk, the trailer lines
// and the empty line that ends them.
std::string Chunked(const std::vector<std::string>& pieces, const std::string& trailer = "") {
  std::string body;
  for (const std::string& piece : pieces) {
    std::ostringstream size;
    size << std::hex << piece.size();
    body += size.str() + "\r\n" + piece + "\r\n";
  }
  return body + "0\r\n" + trailer + "\r\n";
}

HttpRoute RawRoute(std::string path, std::string head, std::string body) {
  HttpRoute route{std::move(path), 200, std::move(body)};
  route.head = std::move(head);
  return route;
}

std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

struct AnswerCase {
  const char* why;
  std::string head;  // the status line and the headers, without the empty line that ends them
  std::string body;
  DownloadResult result;
  std::string text = "";  // what a complete download holds
};

// Serves every case on a path of its own and checks what the download makes of it; a failed
// download leaves the text as it was.
void ExpectAnswers(const std::vector<AnswerCase>& cases, const DownloadOptions& options = Options()) {
  std::vector<HttpRoute> routes;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    routes.push_back(RawRoute("/" + std::to_string(i), cases[i].head + "\r\n\r\n", cases[i].body));
  }
  HttpPeer http(routes);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].why);
    wxString text = kBefore;
    EXPECT_EQ(DownloadText(http.BaseUrl() + "/" + std::to_string(i), text, options), cases[i].result);
    EXPECT_TRUE(text ==
                (cases[i].result == DownloadResult::kComplete ? AsLatin1(cases[i].text) : wxString(kBefore)));
  }
}

TEST(HttpAnswer, StatusIsExactlyThreeDigits) {
  const std::string hello = "hello world";
  const std::string length = "\r\nContent-Length: 11";
  ExpectAnswers({
      {"200 past 32 bits", "HTTP/1.1 4294967496 OK" + length, hello, DownloadResult::kNoAnswer},
      {"two digits", "HTTP/1.1 20 OK" + length, hello, DownloadResult::kNoAnswer},
      {"four digits", "HTTP/1.1 2000 OK" + length, hello, DownloadResult::kNoAnswer},
      {"a leading zero", "HTTP/1.1 0200 OK" + length, hello, DownloadResult::kNoAnswer},
      {"a sign", "HTTP/1.1 +200 OK" + length, hello, DownloadResult::kNoAnswer},
      {"a second blank before it", "HTTP/1.1  200 OK" + length, hello, DownloadResult::kNoAnswer},
      {"a letter after it", "HTTP/1.1 200x OK" + length, hello, DownloadResult::kNoAnswer},
      {"no blank before the reason", "HTTP/1.1 200OK" + length, hello, DownloadResult::kNoAnswer},
      {"no status at all", "HTTP/1.1 " + length, hello, DownloadResult::kNoAnswer},
      {"a plain one", "HTTP/1.1 200 OK" + length, hello, DownloadResult::kComplete, hello},
      {"without a reason", "HTTP/1.1 200" + length, hello, DownloadResult::kComplete, hello},
      {"the last success", "HTTP/1.0 299 Fine" + length, hello, DownloadResult::kComplete, hello},
  });
}

TEST(HttpAnswer, LengthsThatDisagreeAreNoAnswer) {
  const std::string hello = "hello world";
  ExpectAnswers({
      {"the feed's length, then a short one", "HTTP/1.0 200 OK\r\nContent-Length: 64591\r\nContent-Length: 5",
       hello, DownloadResult::kNoAnswer},
      {"a short one, then the right one", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: 11", hello,
       DownloadResult::kNoAnswer},
      {"the same number written otherwise", "HTTP/1.0 200 OK\r\nContent-Length: 11\r\ncontent-length: 011",
       hello, DownloadResult::kNoAnswer},
      {"the same length twice", "HTTP/1.0 200 OK\r\nContent-Length: 11\r\ncontent-length:  11 ", hello,
       DownloadResult::kComplete, hello},
      {"three times, cut to it",
       "HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: 5\r\nContent-Length: 5", hello,
       DownloadResult::kComplete, "hello"},
  });
}

TEST(HttpAnswer, OnlyTheChunkedTransferCodingIsRead) {
  const std::string chunked = Chunked({"hello", " world"});
  ExpectAnswers({
      {"gzip", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip", "\x1f\x8b compressed",
       DownloadResult::kNoAnswer},
      {"gzip, then chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked", chunked,
       DownloadResult::kNoAnswer},
      {"chunked, then gzip", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip", chunked,
       DownloadResult::kNoAnswer},
      {"chunked twice", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, chunked", chunked,
       DownloadResult::kNoAnswer},
      {"chunked in two headers",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTransfer-Encoding: chunked", chunked,
       DownloadResult::kNoAnswer},
      {"identity", "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity", "hello world",
       DownloadResult::kNoAnswer},
      {"an empty coding", "HTTP/1.1 200 OK\r\nTransfer-Encoding: ", "hello world", DownloadResult::kNoAnswer},
      {"chunked with a length", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 11",
       chunked, DownloadResult::kNoAnswer},
      {"a length with chunked", "HTTP/1.1 200 OK\r\nContent-Length: 27\r\nTransfer-Encoding: chunked",
       chunked, DownloadResult::kNoAnswer},
      {"chunked, any case", "HTTP/1.1 200 OK\r\ntransfer-encoding:  Chunked ", chunked,
       DownloadResult::kComplete, "hello world"},
      {"chunked in an answer of version 1.0", "HTTP/1.0 200 OK\r\nTransfer-Encoding: chunked", chunked,
       DownloadResult::kComplete, "hello world"},
  });
}

TEST(HttpAnswer, ChunkedBodyIsDecoded) {
  const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked";
  const std::string bytes = EveryByte(30000);
  // Chunks across the reads' pieces, each byte value (CR and LF among them) inside the data.
  const std::vector<std::string> pieces = {bytes.substr(0, 1), bytes.substr(1, 4095),
                                           bytes.substr(4096, 4096), bytes.substr(8192, 4097),
                                           bytes.substr(12289)};
  ExpectAnswers({
      {"two chunks", head, Chunked({"hello", " world"}), DownloadResult::kComplete, "hello world"},
      {"every byte in chunks of every size", head, Chunked(pieces), DownloadResult::kComplete, bytes},
      {"upper-case hex with leading zeros", head, "000B\r\nhello world\r\n00\r\n\r\n",
       DownloadResult::kComplete, "hello world"},
      {"extensions", head, "5;name=value\r\nhello\r\n6 ; a=\"b;c\"\t\r\n world\r\n0;last\r\n\r\n",
       DownloadResult::kComplete, "hello world"},
      {"trailer lines", head, Chunked({"hello world"}, "Expires: never\r\nX-Sum: 42\r\n"),
       DownloadResult::kComplete, "hello world"},
      {"lines ending in LF alone", head, "5\nhello\n6\n world\n0\n\n", DownloadResult::kComplete,
       "hello world"},
      {"only the last chunk", head, "0\r\n\r\n", DownloadResult::kComplete, ""},
      {"bytes after the end are not read", head, Chunked({"hello world"}) + "6\r\nextra!\r\n",
       DownloadResult::kComplete, "hello world"},
  });
}

TEST(HttpAnswer, ChunkedBodyThatBreaksItsFramingIsBroken) {
  const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked";
  const std::string tooLong = std::string(5000, 'a');
  ExpectAnswers({
      {"no last chunk", head, "5\r\nhello\r\n6\r\n world\r\n", DownloadResult::kBroken},
      {"cut in a chunk", head, "b\r\nhello", DownloadResult::kBroken},
      {"cut in a size line", head, "5\r\nhello\r\n6", DownloadResult::kBroken},
      {"cut after a chunk's data", head, "5\r\nhello", DownloadResult::kBroken},
      {"no empty line after the last chunk", head, "5\r\nhello\r\n0\r\n", DownloadResult::kBroken},
      {"cut in the trailer", head, "5\r\nhello\r\n0\r\nExpires: never\r\n", DownloadResult::kBroken},
      {"a size shorter than its data", head, "3\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"no line end after the data", head, "5\r\nhello6\r\n world\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"not hex", head, "g\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"a 0x prefix", head, "0x5\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"a sign", head, "-5\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"a blank before the size", head, " 5\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"an empty size line", head, "\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"a size past 64 bits", head, "10000000000000005\r\nhello\r\n0\r\n\r\n", DownloadResult::kBroken},
      {"a size line that never ends", head, "5;x=" + tooLong + "\r\nhello\r\n0\r\n\r\n",
       DownloadResult::kBroken},
      {"a trailer that never ends", head, "5\r\nhello\r\n0\r\n" + std::string(100 << 10, 'X'),
       DownloadResult::kBroken},
  });
}

// The cap counts the resource's bytes, not the chunk lines around them.
TEST(HttpAnswer, CapCountsTheDecodedBytes) {
  const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked";
  std::vector<std::string> bytes;
  for (int i = 0; i < 5000; ++i) bytes.emplace_back(1, static_cast<char>('a' + i % 26));
  std::string text;
  for (const std::string& byte : bytes) text += byte;
  ExpectAnswers({{"at the cap", head, Chunked(bytes), DownloadResult::kComplete, text}},
                Options(10s, 60s, 5000));
  ExpectAnswers({{"a byte beyond it", head, Chunked(bytes), DownloadResult::kTooLarge}},
                Options(10s, 60s, 4999));
}

// A chunked answer keeps every bound of a plain one: the deadline and the cap for one that never
// ends, the read time-out for one that falls silent, the stop; and the last chunk ends it at once,
// whether or not the server then closes the connection.
TEST(HttpAnswer, ChunkedBodyKeepsTheBounds) {
  const std::string chunk = "1000\r\n" + std::string(4096, 'c') + "\r\n";
  HttpRoute trickle = RawRoute("/trickle", kChunkedHead, "1\r\nt\r\n");
  trickle.endless = true;
  trickle.pauseMs = 20;
  HttpRoute flood = RawRoute("/flood", kChunkedHead, chunk);
  flood.endless = true;
  HttpRoute endlessSizeLine =
      RawRoute("/endless-size-line", std::string(kChunkedHead) + "5;x=", std::string(4096, 'x'));
  endlessSizeLine.endless = true;
  HttpRoute endlessTrailer =
      RawRoute("/endless-trailer", std::string(kChunkedHead) + "5\r\nhello\r\n0\r\n", "X-More: trailer\r\n");
  endlessTrailer.endless = true;
  HttpRoute silentInAChunk = RawRoute("/silent-in-a-chunk", kChunkedHead, "1000\r\n" + std::string(100, 'c'));
  silentInAChunk.silentAfterBodyMs = 30000;
  HttpRoute silentAfterTheEnd = RawRoute("/silent-after-the-end", kChunkedHead, Chunked({"hello world"}));
  silentAfterTheEnd.silentAfterBodyMs = 30000;
  // A silent answer holds its peer: each has a peer of its own.
  HttpPeer http({trickle, flood, endlessSizeLine, endlessTrailer});
  HttpPeer silent({silentInAChunk});
  HttpPeer forStop({silentInAChunk});
  HttpPeer notClosing({silentAfterTheEnd});
  const struct {
    std::string url;
    DownloadOptions options;
    bool raiseStop;
    DownloadResult result;
    std::chrono::milliseconds atLeast;
  } cases[] = {
      {http.BaseUrl() + "/trickle", Options(10s, 1s), false, DownloadResult::kTimedOut, 900ms},
      {http.BaseUrl() + "/flood", Options(10s, 60s, 256 << 10), false, DownloadResult::kTooLarge, 0ms},
      {http.BaseUrl() + "/endless-size-line", Options(10s, 20s), false, DownloadResult::kBroken, 0ms},
      {http.BaseUrl() + "/endless-trailer", Options(10s, 20s), false, DownloadResult::kBroken, 0ms},
      {silent.BaseUrl() + "/silent-in-a-chunk", Options(1s), false, DownloadResult::kBroken, 900ms},
      {forStop.BaseUrl() + "/silent-in-a-chunk", Options(30s), true, DownloadResult::kStopped, 250ms},
      {notClosing.BaseUrl() + "/silent-after-the-end", Options(1s), false, DownloadResult::kComplete, 0ms},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    DownloadStop stop;
    DownloadOptions options = c.options;
    options.stop = &stop;
    std::uint64_t largest = 0;
    bool sizeKnown = true;
    options.progress = [&largest, &sizeKnown](const DownloadProgress& progress) {
      largest = std::max(largest, progress.receivedBytes);
      sizeKnown = progress.sizeKnown;
    };
    std::thread raiser([&stop, &c] {
      if (c.raiseStop) {
        std::this_thread::sleep_for(300ms);
        stop.Raise();
      }
    });
    wxString text = kBefore;
    const auto start = Clock::now();
    EXPECT_EQ(DownloadText(c.url, text, options), c.result);
    EXPECT_GE(Since(start), c.atLeast);
    EXPECT_LT(Since(start), 4s);  // well before any deadline or read time-out the case is not about
    EXPECT_TRUE(text ==
                (c.result == DownloadResult::kComplete ? wxString("hello world") : wxString(kBefore)));
    EXPECT_LE(largest, std::uint64_t{256 << 10});
    EXPECT_FALSE(sizeKnown);  // a chunked answer announces no size
    raiser.join();
  }
}

}  // namespace
