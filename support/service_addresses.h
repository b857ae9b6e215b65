#pragma once

#include <wx/string.h>

#include <cstdint>
#include <string>

// The remote services the program talks to, kept in one place. Each value can be replaced by
// an environment variable, so that tests point the program at servers they start on 127.0.0.1.

namespace services {

// The error-report mailbox. Overrides: NUBIVANE_SMTP_SERVER (IPv4, dotted decimal),
// NUBIVANE_SMTP_PORT, NUBIVANE_SMTP_HELO, NUBIVANE_MAIL_FROM, NUBIVANE_MAIL_TO.
struct MailService {
  std::string serverAddress;
  std::uint16_t port = 0;  // 0 when the override is not a port number: the mail then fails
  std::string heloDomain;
  std::string sender;
  std::string recipient;
  int connectTimeoutMs = 0;
  int replyTimeoutMs = 0;
};

constexpr std::uint16_t kSmtpPort = 25;
// A dead mail server must not hold the start-up for long.
constexpr int kMailConnectTimeoutMs = 5000;
constexpr int kMailReplyTimeoutMs = 5000;

MailService ErrorReportMailService();

// The update host's scheme, host and port without a closing slash, for example
// "http://update.nubivane.example". Override: NUBIVANE_UPDATE_HOST.
wxString UpdateHostUrl();

// The VATSIM network's METAR service (HTTP), the same form. Override: NUBIVANE_VATSIM_HOST.
wxString VatsimHostUrl();

// The NOAA file server of the METAR cycle files, for example "ftp://tgftp.nws.noaa.gov".
// Override: NUBIVANE_NOAA_FTP_HOST.
wxString NoaaFtpHostUrl();

}  // namespace services
