#include "support/service_addresses.h"

#include <cstdlib>

namespace services {
namespace {

constexpr char kDefaultMailServer[] = "192.0.2.25";
constexpr char kDefaultHeloDomain[] = "nubivane.example";
constexpr char kDefaultSender[] = "errorlog@nubivane.example";
constexpr char kDefaultRecipient[] = "debug@nubivane.example";
constexpr char kDefaultUpdateHost[] = "http://update.nubivane.example";
constexpr char kDefaultVatsimHost[] = "http://metar.vatsim.net";
constexpr char kDefaultNoaaFtpHost[] = "ftp://tgftp.nws.noaa.gov";

std::string EnvironmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : std::string(fallback);
}

// A port text that is not a whole number from 1 to 65535 gives 0, which no connection accepts.
std::uint16_t PortFromText(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value >= 1 && value <= 65535 ? static_cast<std::uint16_t>(value) : 0;
}

// Callers append paths that begin with a slash.
wxString HostUrl(const char* variable, const char* fallback) {
  wxString url = wxString::FromUTF8(EnvironmentOr(variable, fallback));
  while (url.EndsWith(wxS("/"))) {
    url.RemoveLast();
  }
  return url;
}

}  // namespace

MailService ErrorReportMailService() {
  MailService service;
  service.serverAddress = EnvironmentOr("NUBIVANE_SMTP_SERVER", kDefaultMailServer);
  const char* port = std::getenv("NUBIVANE_SMTP_PORT");
  service.port = port != nullptr && *port != '\0' ? PortFromText(port) : kSmtpPort;
  service.heloDomain = EnvironmentOr("NUBIVANE_SMTP_HELO", kDefaultHeloDomain);
  service.sender = EnvironmentOr("NUBIVANE_MAIL_FROM", kDefaultSender);
  service.recipient = EnvironmentOr("NUBIVANE_MAIL_TO", kDefaultRecipient);
  service.connectTimeoutMs = kMailConnectTimeoutMs;
  service.replyTimeoutMs = kMailReplyTimeoutMs;
  service.dialogueTimeoutMs = kMailDialogueTimeoutMs;
  return service;
}

wxString UpdateHostUrl() { return HostUrl("NUBIVANE_UPDATE_HOST", kDefaultUpdateHost); }

wxString VatsimHostUrl() { return HostUrl("NUBIVANE_VATSIM_HOST", kDefaultVatsimHost); }

wxString NoaaFtpHostUrl() { return HostUrl("NUBIVANE_NOAA_FTP_HOST", kDefaultNoaaFtpHost); }

}  // namespace services
