#pragma once

#include <string>

#include "support/service_addresses.h"

// The error-report mail: one SMTP dialogue over TCP that reads the server's greeting and every
// reply, and stops at the first one that refuses.

enum class MailResult {
  kSent,
  kBadService,     // no valid server address or port, or an address that would break the dialogue
  kConnectFailed,  // refused, unreachable or not answered in time
  kNoReply,        // the server closed the connection or did not answer in time
  kRejected,       // the server refused a command or the message
};

// The message as it travels after DATA: header lines, an empty line, the body with every line
// end made "\r\n" and every line that begins with "." given a second one, then "\r\n.\r\n".
std::string MailHeaderPiece(const services::MailService& service);
std::string MailBodyPiece(const std::string& body);

MailResult SendMailMessage(const services::MailService& service, const std::string& body);
