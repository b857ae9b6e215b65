#pragma once

#include <wx/string.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

// One download over HTTP or FTP, with the rules every transfer of the program keeps:
// - only a 2xx answer carries the resource (a redirection's or an error's page is none);
// - where the server announced a length (HTTP: Content-Length; FTP: SIZE), exactly that many
//   bytes make the resource whole, and lengths that disagree make no answer; without one, the
//   transfer must end in order (HTTP: the last chunk of a chunked body, or else the server closes
//   the connection; FTP: the server also confirms the transfer);
// - an HTTP body in any transfer coding but chunked is no answer;
// - every wait for data ends after the read time-out, the whole transfer at its deadline, and a
//   resource larger than the cap is refused, so a server that stalls or sends for ever holds
//   nobody for long and fills no memory;
// - no proxy is used: the request goes to the host the URL names (the library's URL class would
//   follow HTTP_PROXY from the environment).
// Blocking; any thread. The library's own log stays quiet: the result says what happened.

enum class DownloadResult {
  kComplete,     // the whole resource arrived
  kBadUrl,       // no scheme, no host, or a port that is none
  kNoProtocol,   // a scheme other than http and ftp
  kNoAnswer,     // no connection, or the server did not hand out the resource
  kBroken,       // cut short, reset, or a wait for data outlived the read time-out
  kTooLarge,     // larger than the cap, announced or received
  kTimedOut,     // the deadline passed
  kStopped,      // the caller raised its stop
  kWriteFailed,  // the file could not be written or put in place
};

// Every wait (connecting, logging in to an FTP server, the answer's head, every read) ends after
// the read time-out; the deadline (counted from the start of the download) and a stop end the
// download wherever it is.
struct DownloadLimits {
  std::chrono::seconds readTimeout;  // each wait: connecting, the answer's head, every read
  std::chrono::seconds deadline;     // the whole download, from its start
  std::uint64_t maxBytes;            // the largest resource taken
};

// How far a download has come. When the size is known, receivedBytes never exceeds it; an FTP
// server that refuses SIZE announces no size, nor does an HTTP server that sends no length or a
// chunked body.
struct DownloadProgress {
  std::uint64_t receivedBytes = 0;
  std::uint64_t sizeBytes = 0;  // 0 when the size is unknown
  bool sizeKnown = false;
};

// Ends a running download from any thread (or from its own progress report or waiting hook): a
// wait on a silent server ends within a few hundredths of a second.
class DownloadStop {
 public:
  void Raise() { raised_ = true; }
  void Lower() { raised_ = false; }
  bool Raised() const { return raised_; }

 private:
  std::atomic<bool> raised_{false};
};

struct DownloadOptions {
  DownloadLimits limits;
  // Called on the downloading thread once when the resource begins (receivedBytes 0, with the
  // size as it will stay), then after every piece. May be empty.
  std::function<void(const DownloadProgress&)> progress;
  const DownloadStop* stop = nullptr;  // not owned; may be null
  // Called on the downloading thread again and again while the download waits for the network,
  // never more than a few hundredths of a second apart, so that a window can be drawn. May be
  // empty.
  std::function<void()> waiting;
};

// The resource as text, each byte the character of the same code (ISO-8859-1); a NUL byte is a
// character like any other. On success text holds the resource; otherwise it is left as it was.
DownloadResult DownloadText(const wxString& url, wxString& text, const DownloadOptions& options);

// The resource into fileName. The bytes go to fileName + ".part", created before the server is
// asked, and take the name only once complete; otherwise the ".part" file is removed and a file
// that stood under the name stays as it was. An empty resource is no file: it ends as kBroken.
DownloadResult DownloadFile(const wxString& url, const wxString& fileName, const DownloadOptions& options);
