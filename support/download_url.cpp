#include "support/download_url.h"

#include <wx/uri.h>

namespace download {
namespace {

constexpr unsigned long kLastPort = 65535;

}  // namespace

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

std::string Ascii(const wxString& text) { return std::string(text.ToUTF8().data()); }

}  // namespace download
