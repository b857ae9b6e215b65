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

// The longest any wait of the dialogue goes without asking the caller and looking at the clock.
constexpr int kSliceMs = 25;
// What a wait says when it may go on.
constexpr MailResult kGoOn = MailResult::kSent;

Clock::time_point After(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

class SmtpSession {
 public:
  SmtpSession(const services::MailService& service, const MailGoOn& goOn)
      : service_(service), goOn_(goOn), deadline_(After(service.dialogueTimeoutMs)) {}

  MailResult Open() {
    platform::SocketResult connected = client_.StartConnect(service_.serverAddress, service_.port);
    if (connected == platform::SocketResult::kBadAddress) {
      return MailResult::kBadService;
    }
    const Clock::time_point until = After(service_.connectTimeoutMs);
    while (connected == platform::SocketResult::kPending) {
      const MailResult going = Going(until, MailResult::kConnectFailed);
      if (going != kGoOn) {
        return Fail(going);
      }
      connected = client_.FinishConnect(kSliceMs);
    }
    if (connected != platform::SocketResult::kOk) {
      return Fail(MailResult::kConnectFailed);
    }
    return Expect('2');
  }

  // Sends one piece and, when expected is not 0, reads the reply and checks its class. shown is
  // what the standard output gets instead of the piece.
  MailResult Exchange(const std::string& piece, char expected, const std::string& shown) {
    // The commands are echoed to the standard output on purpose: the only trace of the dialogue
    // when a report does not arrive. The log itself is not: it can be a megabyte.
    std::printf("%s\n", shown.c_str());
    const MailResult sent = Send(piece);
    if (sent != kGoOn) {
      return sent;
    }
    return expected == 0 ? MailResult::kSent : Expect(expected);
  }

  // Ends the dialogue politely where the connection still stands; the answer is not needed.
  void Quit() {
    if (client_.IsOpen()) {
      Exchange("QUIT\r\n", '2', "QUIT\r\n");
    }
    client_.Close();
  }

 private:
  MailResult Fail(MailResult result) {
    client_.Close();
    return result;
  }

  // Whether the dialogue may wait on: the caller's word first, then the whole dialogue's time,
  // then the wait's own (expired: what its end means).
  MailResult Going(Clock::time_point until, MailResult expired) const {
    if (goOn_ && !goOn_()) {
      return MailResult::kStopped;
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline_) {
      return MailResult::kTimedOut;
    }
    return now >= until ? expired : kGoOn;
  }

  // Every byte, in as many pieces as the connection takes; a stall is bounded by the reply time.
  MailResult Send(const std::string& piece) {
    std::size_t done = 0;
    Clock::time_point until = After(service_.replyTimeoutMs);
    for (;;) {
      const MailResult going = Going(until, MailResult::kNoReply);
      if (going != kGoOn) {
        return Fail(going);
      }
      if (done == piece.size()) {
        return kGoOn;
      }
      std::size_t sent = 0;
      switch (client_.SendSome(piece.data() + done, piece.size() - done, kSliceMs, sent)) {
        case platform::SocketResult::kOk:
          done += sent;
          until = After(service_.replyTimeoutMs);
          break;
        case platform::SocketResult::kPending:
          break;
        default:
          return Fail(MailResult::kNoReply);
      }
    }
  }

  MailResult Expect(char expected) {
    char replyClass = '0';
    const MailResult read = ReadReply(replyClass);
    if (read != kGoOn) {
      return read;
    }
    return replyClass == expected ? MailResult::kSent : MailResult::kRejected;
  }

  // Reads one whole reply, however many lines and packets it comes in, within the reply time. A
  // reply that trickles in is asked about between its bytes as a silent one is between slices.
  MailResult ReadReply(char& replyClass) {
    const Clock::time_point until = After(service_.replyTimeoutMs);
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (IsLastReplyLine(line)) {
          replyClass = ReplyClass(line);
          return kGoOn;
        }
        continue;
      }
      if (pending_.size() > kMaxReplyBytes) {
        return Fail(MailResult::kNoReply);
      }
      const MailResult going = Going(until, MailResult::kNoReply);
      if (going != kGoOn) {
        return Fail(going);
      }
      char piece[kReceiveBytes];
      std::size_t received = 0;
      switch (client_.ReceiveSome(piece, sizeof piece, kSliceMs, received)) {
        case platform::SocketResult::kOk:
          pending_.append(piece, received);
          break;
        case platform::SocketResult::kPending:
          break;
        default:
          return Fail(MailResult::kNoReply);
      }
    }
  }

  const services::MailService& service_;
  const MailGoOn& goOn_;
  const Clock::time_point deadline_;
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

MailResult SendMailMessage(const services::MailService& service, const std::string& body,
                           const MailGoOn& goOn) {
  if (!IsUsableService(service)) {
    return MailResult::kBadService;
  }
  // Every piece is made before the connection: a megabyte of body takes its time.
  const struct {
    std::string piece;
    char expected;
    std::string shown;
  } steps[] = {
      {"HELO " + service.heloDomain + "\r\n", '2', {}},
      {"MAIL FROM:" + service.sender + "\r\n", '2', {}},
      {"RCPT TO:" + service.recipient + "\r\n", '2', {}},
      {"DATA\r\n", '3', {}},
      {MailHeaderPiece(service), 0, {}},
      {MailBodyPiece(body), '2', "(the log, " + std::to_string(body.size()) + " bytes)"},
  };
  SmtpSession session(service, goOn);
  MailResult result = session.Open();
  for (const auto& step : steps) {
    if (result != MailResult::kSent) {
      break;
    }
    result = session.Exchange(step.piece, step.expected, step.shown.empty() ? step.piece : step.shown);
  }
  // A stop or the dialogue's time-out wants no further word with the server.
  if (result == MailResult::kSent || result == MailResult::kRejected) {
    session.Quit();
  }
  return result;
}

int ClLog::SendErrorMail(std::string body, const std::function<bool()>& goOn) {
  SendMailMessage(services::ErrorReportMailService(), body, goOn);
  return 0;
}
