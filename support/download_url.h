#pragma once

#include <wx/string.h>

#include <string>

#include "support/download.h"

namespace download {

enum class Scheme { kHttp, kFtp };

constexpr unsigned long kHttpPort = 80;
constexpr unsigned long kFtpPort = 21;

// Where a URL points, as the schemes take it.
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
// it sends HTTP through the proxy that HTTP_PROXY named when the library started. On a failure,
// failure says which.
bool ParseTarget(const wxString& url, Target& target, DownloadResult& failure);

// A part of the URL as it goes on the wire.
std::string Ascii(const wxString& text);

}  // namespace download
