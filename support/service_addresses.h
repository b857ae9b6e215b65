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
  int dialogueTimeoutMs = 0;  // the whole mail, from the connection to the answer to QUIT
};

constexpr std::uint16_t kSmtpPort = 25;
// A dead mail server must not hold the start-up for long.
constexpr int kMailConnectTimeoutMs = 5000;
constexpr int kMailReplyTimeoutMs = 5000;
// The start-up waits for the mail. A server that drips its replies, each just within the reply
// time, must not hold it for half a minute: one reply's full time-out and as much again for the
// rest, which a server that answers at once needs a fraction of (and the report's megabyte
// needs only at a line of 1 Mbit/s or better).
constexpr int kMailDialogueTimeoutMs = 10000;

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
