#include "support/error_mail.h"

#include <chrono>
#include <cstdio>

#include "platform/sockets.h"
#include "support/log_file.h"

namespace {

constexpr std::size_t kReceiveBytes = 512;
// A reply longer than this is no SMTP reply.
constexpr std::size_t kMaxReplyBytes = 64 * 1024;
constexpr char kEndOfData[] = "\r\n.\r\n";
constexpr char kSubject[] = "SUBJECT: Nubivane Error log!!!\r\n";

using Clock = std::chrono::steady_clock;

// Addresses and the HELO domain go into command and header lines as they are: a line end or an
// angle bracket in one of them would add lines of its own.
bool IsPlainMailText(const std::string& text) {
  if (text.empty()) {
    return false;
  }
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '<' || c == '>') {
      return false;
    }
  }
  return true;
}

bool IsUsableService(const services::MailService& service) {
  return service.port != 0 && IsPlainMailText(service.heloDomain) && IsPlainMailText(service.sender) &&
         IsPlainMailText(service.recipient);
}

// The reply's first digit: '2' done, '3' go on with the data, '4' and '5' refused; '0' for a
// line that is no reply at all.
char ReplyClass(const std::string& line) {
  if (line.size() < 3 || line[0] < '1' || line[0] > '5' || line[1] < '0' || line[1] > '9' || line[2] < '0' ||
      line[2] > '9') {
    return '0';
  }
  return line[0];
}

// A line "250-..." is followed by more lines of the same reply; "250 ..." or "250" ends it.
bool IsLastReplyLine(const std::string& line) { return line.size() < 4 || line[3] != '-'; }

class SmtpSession {
 public:
  explicit SmtpSession(const services::MailService& service) : service_(service) {}

  MailResult Open() {
    switch (client_.Connect(service_.serverAddress, service_.port, service_.connectTimeoutMs)) {
      case platform::SocketResult::kOk:
        break;
      case platform::SocketResult::kBadAddress:
        return MailResult::kBadService;
      default:
        return MailResult::kConnectFailed;
    }
    return Expect('2');
  }

  // Sends one piece and, when expected is not 0, reads the reply and checks its class.
  MailResult Exchange(const std::string& piece, char expected) {
    // Every piece is echoed to the standard output on purpose: the only trace of the dialogue
    // when a report does not arrive.
    std::printf("%s\n", piece.c_str());
    if (client_.SendAll(piece.data(), piece.size(), service_.replyTimeoutMs) != platform::SocketResult::kOk) {
      return MailResult::kNoReply;
    }
    return expected == 0 ? MailResult::kSent : Expect(expected);
  }

  // Ends the dialogue politely where the connection still stands; the answer is not needed.
  void Quit() {
    if (client_.IsOpen()) {
      Exchange("QUIT\r\n", '2');
    }
    client_.Close();
  }

 private:
  MailResult Expect(char expected) {
    char replyClass = '0';
    if (!ReadReply(replyClass)) {
      return MailResult::kNoReply;
    }
    return replyClass == expected ? MailResult::kSent : MailResult::kRejected;
  }

  // Reads one whole reply, however many lines and packets it comes in, within the reply time.
  bool ReadReply(char& replyClass) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(service_.replyTimeoutMs);
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (IsLastReplyLine(line)) {
          replyClass = ReplyClass(line);
          return true;
        }
        continue;
      }
      if (pending_.size() > kMaxReplyBytes) {
        client_.Close();
        return false;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      char piece[kReceiveBytes];
      std::size_t received = 0;
      if (left <= 0 || client_.Receive(piece, sizeof piece, static_cast<int>(left), received) !=
                           platform::SocketResult::kOk) {
        client_.Close();
        return false;
      }
      pending_.append(piece, received);
    }
  }

  const services::MailService& service_;
  platform::TcpClient client_;
  std::string pending_;
};

}  // namespace

std::string MailHeaderPiece(const services::MailService& service) {
  // The empty line ends the header: without it the body's first lines would be read as headers.
  return "FROM: <" + service.sender + ">\r\nTO: <" + service.recipient + ">\r\n" + kSubject + "\r\n";
}

std::string MailBodyPiece(const std::string& body) {
  std::string piece;
  piece.reserve(body.size() + body.size() / 32 + sizeof kEndOfData);
  bool lineStart = true;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (lineStart && c == '.') {
      piece += '.';
    }
    lineStart = false;
    if (c == '\r' || c == '\n') {
      // "\r\n", a lone "\r" and a lone "\n" are all one line end in the mail.
      if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
        ++i;
      }
      piece += "\r\n";
      lineStart = true;
      continue;
    }
    piece += c;
  }
  piece += kEndOfData;
  return piece;
}

MailResult SendMailMessage(const services::MailService& service, const std::string& body) {
  if (!IsUsableService(service)) {
    return MailResult::kBadService;
  }
  SmtpSession session(service);
  MailResult result = session.Open();
  const struct {
    std::string piece;
    char expected;
  } steps[] = {
      {"HELO " + service.heloDomain + "\r\n", '2'},
      {"MAIL FROM:" + service.sender + "\r\n", '2'},
      {"RCPT TO:" + service.recipient + "\r\n", '2'},
      {"DATA\r\n", '3'},
      {MailHeaderPiece(service), 0},
      {MailBodyPiece(body), '2'},
  };
  for (const auto& step : steps) {
    if (result != MailResult::kSent) {
      break;
    }
    result = session.Exchange(step.piece, step.expected);
  }
  if (result != MailResult::kConnectFailed && result != MailResult::kBadService) {
    session.Quit();
  }
  return result;
}

int ClLog::SendErrorMail(std::string body) {
  SendMailMessage(services::ErrorReportMailService(), body);
  return 0;
}
