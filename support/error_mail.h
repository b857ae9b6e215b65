#pragma once

#include <functional>
#include <string>

#include "support/service_addresses.h"

// The error-report mail: one SMTP dialogue over TCP that reads the server's greeting and every
// reply, and stops at the first one that refuses. Every wait is cut into slices of a few
// hundredths of a second; between them the caller is asked whether to go on, and the whole
// dialogue ends at the service's dialogue time-out.

enum class MailResult {
  kSent,
  kBadService,     // no valid server address or port, or an address that would break the dialogue
  kConnectFailed,  // refused, unreachable or not answered in time
  kNoReply,        // the server closed the connection or did not answer in time
  kRejected,       // the server refused a command or the message
  kTimedOut,       // the whole dialogue outlived its time-out
  kStopped,        // the caller said not to go on
};

// Asked before every piece and between the slices of every wait; false ends the mail at once,
// without a QUIT. May be empty.
using MailGoOn = std::function<bool()>;

// The message as it travels after DATA: header lines, an empty line, the body with every line
// end made "\r\n" and every line that begins with "." given a second one, then "\r\n.\r\n".
std::string MailHeaderPiece(const services::MailService& service);
std::string MailBodyPiece(const std::string& body);

MailResult SendMailMessage(const services::MailService& service, const std::string& body,
                           const MailGoOn& goOn = {});
