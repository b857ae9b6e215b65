#include "support/error_mail.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/test_paths.h"
#include "peers/loopback_listener.h"
#include "peers/smtp_peer.h"
#include "support/log_file.h"

namespace {

using testpeers::SmtpPeer;
using testpeers::SmtpScript;

constexpr int kPeerWaitMs = 5000;
constexpr char kHeader[] =
    "FROM: <errorlog@test.example>\r\nTO: <debug@test.example>\r\nSUBJECT: Nubivane Error log!!!\r\n\r\n";

services::MailService LocalService(std::uint16_t port, int replyTimeoutMs = 3000,
                                   int dialogueTimeoutMs = 20000) {
  services::MailService service;
  service.serverAddress = "127.0.0.1";
  service.port = port;
  service.heloDomain = "test.example";
  service.sender = "errorlog@test.example";
  service.recipient = "debug@test.example";
  service.connectTimeoutMs = 3000;
  service.replyTimeoutMs = replyTimeoutMs;
  service.dialogueTimeoutMs = dialogueTimeoutMs;
  return service;
}

std::string Dialogue(const std::string& data) {
  return "HELO test.example\r\nMAIL FROM:errorlog@test.example\r\nRCPT TO:debug@test.example\r\nDATA\r\n" +
         data + "QUIT\r\n";
}

// The data as the server receives it: the body's lines end in CR LF, a leading dot is doubled,
// and nothing in the body can end the data early or add a header line.
TEST(ErrorMail, BodyTravelsWholeAndCannotEndTheDataEarly) {
  const struct {
    std::string body;
    std::string wire;  // after the header block
  } cases[] = {
      {"", "\r\n.\r\n"},
      {"1 - Nubivane Start\r\n1 - Main- Nubivane Close\r\n",
       "1 - Nubivane Start\r\n1 - Main- Nubivane Close\r\n\r\n.\r\n"},
      {".hidden\r\n.\r\nafter", "..hidden\r\n..\r\nafter\r\n.\r\n"},
      {"tail\r\n.", "tail\r\n..\r\n.\r\n"},
      {"bare\nline feeds\n.dot", "bare\r\nline feeds\r\n..dot\r\n.\r\n"},
      {"lone\rreturn", "lone\r\nreturn\r\n.\r\n"},
      {"X-Injected: yes\r\nSubject: other\r\n", "X-Injected: yes\r\nSubject: other\r\n\r\n.\r\n"},
      {"latin \xB0\xE9 bytes", "latin \xB0\xE9 bytes\r\n.\r\n"},
  };
  for (const auto& c : cases) {
    SmtpPeer peer;
    EXPECT_EQ(SendMailMessage(LocalService(peer.Port()), c.body), MailResult::kSent);
    ASSERT_TRUE(peer.WaitDone(kPeerWaitMs));
    EXPECT_EQ(peer.Data(), kHeader + c.wire) << c.body;
    EXPECT_EQ(peer.Transcript(), Dialogue(kHeader + c.wire)) << c.body;
  }
}

TEST(ErrorMail, LongBodyIsSentWhole) {
  std::string body;
  for (int i = 0; body.size() < 300000; ++i) {
    body += "1700000000 - Main- Error- line " + std::to_string(i) + "\r\n";
  }
  SmtpPeer peer;
  EXPECT_EQ(SendMailMessage(LocalService(peer.Port()), body), MailResult::kSent);
  ASSERT_TRUE(peer.WaitDone(kPeerWaitMs));
  EXPECT_EQ(peer.Data(), kHeader + body + "\r\n.\r\n");
}

// Replies of several lines and in any packing must not put the dialogue out of step.
TEST(ErrorMail, MultiLineRepliesAreReadWhole) {
  SmtpScript script;
  script.greeting = "220-first line\r\n220-second line\r\n220 ready\r\n";
  script.replies["HELO"] = "250-peer greets you\r\n250-SIZE 1000\r\n250 HELP\r\n";
  script.replies["RCPT"] = "251 will forward\n";
  SmtpPeer peer(script);
  EXPECT_EQ(SendMailMessage(LocalService(peer.Port()), "body"), MailResult::kSent);
  ASSERT_TRUE(peer.WaitDone(kPeerWaitMs));
  EXPECT_EQ(peer.Transcript(), Dialogue(std::string(kHeader) + "body\r\n.\r\n"));
}

// The first refusal ends the dialogue: nothing after it but QUIT.
TEST(ErrorMail, StopsAtTheFirstRejection) {
  const std::string data = std::string(kHeader) + "body\r\n.\r\n";
  const struct {
    const char* verb;
    const char* reply;
    std::string transcript;
  } cases[] = {
      {"greeting", "554 no service here\r\n", "QUIT\r\n"},
      {"HELO", "501 who are you\r\n", "HELO test.example\r\nQUIT\r\n"},
      {"MAIL", "451 try later\r\n", "HELO test.example\r\nMAIL FROM:errorlog@test.example\r\nQUIT\r\n"},
      {"RCPT", "550 no such user\r\n",
       "HELO test.example\r\nMAIL FROM:errorlog@test.example\r\nRCPT TO:debug@test.example\r\nQUIT\r\n"},
      {"DATA", "250 no data please\r\n",
       "HELO test.example\r\nMAIL FROM:errorlog@test.example\r\nRCPT "
       "TO:debug@test.example\r\nDATA\r\nQUIT\r\n"},
      {".", "552 too big\r\n", Dialogue(data)},
      {"HELO", "hello there\r\n", "HELO test.example\r\nQUIT\r\n"},  // no reply code at all
  };
  for (const auto& c : cases) {
    SmtpScript script;
    if (std::string(c.verb) == "greeting") {
      script.greeting = c.reply;
    } else {
      script.replies[c.verb] = c.reply;
    }
    SmtpPeer peer(script);
    EXPECT_EQ(SendMailMessage(LocalService(peer.Port()), "body"), MailResult::kRejected) << c.verb;
    ASSERT_TRUE(peer.WaitDone(kPeerWaitMs)) << c.verb;
    EXPECT_EQ(peer.Transcript(), c.transcript) << c.verb;
  }
}

TEST(ErrorMail, NoServerListeningFailsQuietly) {
  EXPECT_EQ(SendMailMessage(LocalService(testpeers::ClosedLoopbackPort()), "body"),
            MailResult::kConnectFailed);
}

// A server that never answers holds the call only for the reply time, and hears no command.
TEST(ErrorMail, SilentServerIsGivenUpAfterTheReplyTime) {
  SmtpScript script;
  script.silent = true;
  SmtpPeer peer(script);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SendMailMessage(LocalService(peer.Port(), 300), "body"), MailResult::kNoReply);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(peer.Transcript(), "");
}

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Servers that keep the mail waiting though each of their waits stays within the reply time: one
// that drips every reply a byte at a time, one whose long greeting comes a few bytes in every
// slice of the wait, one that stops reading in the middle of a large body.
// The dialogue's time-out ends the mail, and so does the caller's stop, each at once.
TEST(ErrorMail, AServerThatKeepsTheMailWaitingIsLeftAtTheTimeOutOrAtAStop) {
  struct Case {
    const char* what;
    SmtpScript script;
    std::size_t bodyBytes;
  };
  SmtpScript dripping;
  dripping.dripMs = 80;  // "220 peer ready\r\n": 1.3 s, the whole dialogue some 6 s
  SmtpScript fastDrip;   // every slice of a wait gets a byte: the words of a whole reply, some 10 s
  fastDrip.greeting = "220-" + std::string(2000, 'x') + "\r\n220 ready\r\n";
  fastDrip.dripMs = 5;
  SmtpScript deaf;
  deaf.deafAfter = "DATA";
  const Case cases[] = {
      {"dripping replies", dripping, 100},
      {"a long greeting that trickles in fast", fastDrip, 100},
      {"a server that stops reading", deaf, 16 * 1024 * 1024},  // beyond what the sockets hold
  };
  constexpr int kReplyMs = 3000;
  constexpr int kDialogueMs = 1500;
  constexpr long long kStopAfterMs = 500;
  for (const Case& c : cases) {
    const std::string body(c.bodyBytes, 'x');
    {
      SmtpPeer peer(c.script);
      // Timed from the first wait: making a body of megabytes takes its time on a busy machine.
      Clock::time_point firstAsk;
      const MailGoOn watch = [&firstAsk] {
        if (firstAsk == Clock::time_point()) firstAsk = Clock::now();
        return true;
      };
      EXPECT_EQ(SendMailMessage(LocalService(peer.Port(), kReplyMs, kDialogueMs), body, watch),
                MailResult::kTimedOut)
          << c.what;
      const long long took = MsSince(firstAsk);
      EXPECT_GT(took, kDialogueMs - 500) << c.what;
      EXPECT_LT(took, kDialogueMs + 1000) << c.what;
    }
    {
      SmtpPeer peer(c.script);
      int asked = 0;
      Clock::time_point start;
      const MailGoOn goOn = [&] {
        if (asked++ == 0) start = Clock::now();
        return MsSince(start) < kStopAfterMs;
      };
      EXPECT_EQ(SendMailMessage(LocalService(peer.Port(), kReplyMs, 20000), body, goOn), MailResult::kStopped)
          << c.what;
      const long long took = MsSince(start);
      std::printf("%s: the mail ended %lld ms after the stop\n", c.what, took - kStopAfterMs);
      EXPECT_LT(took, kStopAfterMs + 2000) << c.what;  // a busy machine included; the figure is printed
      // Asked between the slices of every wait, not only between the pieces.
      EXPECT_GE(asked, 5) << c.what;
      EXPECT_EQ(peer.Transcript().find("QUIT"), std::string::npos) << c.what << ": a stop says no more";
    }
  }
}

// The log's bytes stay off the standard output; the commands are echoed there.
TEST(ErrorMail, TheBodyIsNotEchoedToTheStandardOutput) {
  SmtpPeer peer;
  testing::internal::CaptureStdout();
  const MailResult result = SendMailMessage(LocalService(peer.Port()), "1 - Main- the log's own words\r\n");
  const std::string echoed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, MailResult::kSent);
  EXPECT_EQ(echoed.find("the log's own words"), std::string::npos) << echoed;
  EXPECT_NE(echoed.find("HELO test.example"), std::string::npos) << echoed;
  EXPECT_NE(echoed.find("QUIT"), std::string::npos) << echoed;
}

// A connection reset in the middle must not raise SIGPIPE (which would end the test program)
// and nothing more is sent.
TEST(ErrorMail, ResetConnectionEndsTheDialogueWithoutASignal) {
  SmtpScript script;
  script.hangUpAt = "RCPT";
  SmtpPeer peer(script);
  EXPECT_EQ(SendMailMessage(LocalService(peer.Port()), std::string(100000, 'x')), MailResult::kNoReply);
  ASSERT_TRUE(peer.WaitDone(kPeerWaitMs));
  EXPECT_EQ(peer.Transcript(),
            "HELO test.example\r\nMAIL FROM:errorlog@test.example\r\nRCPT TO:debug@test.example\r\n");
}

// Addresses go into command and header lines as they are: one with a line end or brackets is
// not used at all.
TEST(ErrorMail, UnusableServiceIsNotContacted) {
  testpeers::LoopbackListener listener;
  const auto with = [&](auto change) {
    services::MailService service = LocalService(listener.Port());
    change(service);
    return service;
  };
  const services::MailService cases[] = {
      with([](services::MailService& s) { s.sender = "a@b.example\r\nRCPT TO:other@x.example"; }),
      with([](services::MailService& s) { s.recipient = "<debug@test.example>"; }),
      with([](services::MailService& s) { s.heloDomain = ""; }),
      with([](services::MailService& s) { s.port = 0; }),
      with([](services::MailService& s) { s.serverAddress = "mail.test.example"; }),
  };
  for (const auto& service : cases) {
    EXPECT_EQ(SendMailMessage(service, "body"), MailResult::kBadService)
        << service.sender << service.recipient;
  }
  EXPECT_EQ(listener.Accept(0), testpeers::kNoSocket);
}

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    testsupport::SetEnvironment(name, value);
  }
  ~ScopedEnvironment() { testsupport::UnsetEnvironment(name_); }

 private:
  const char* name_;
};

TEST(ErrorMail, ServiceComesFromTheEnvironmentWhereSet) {
  {
    const services::MailService service = services::ErrorReportMailService();
    EXPECT_EQ(service.port, services::kSmtpPort);
    EXPECT_FALSE(service.serverAddress.empty());
    EXPECT_GT(service.connectTimeoutMs, 0);
    EXPECT_GT(service.replyTimeoutMs, 0);
    // Longer than one reply's wait, and short enough not to hold the start-up for long.
    EXPECT_GT(service.dialogueTimeoutMs, service.replyTimeoutMs);
    EXPECT_LE(service.dialogueTimeoutMs, 15000);
  }
  const struct {
    const char* port;
    std::uint16_t expected;
  } ports[] = {{"2525", 2525}, {"65535", 65535}, {"0", 0}, {"65536", 0}, {"25x", 0}, {"-1", 0}};
  for (const auto& p : ports) {
    ScopedEnvironment port("NUBIVANE_SMTP_PORT", p.port);
    EXPECT_EQ(services::ErrorReportMailService().port, p.expected) << p.port;
  }
  ScopedEnvironment server("NUBIVANE_SMTP_SERVER", "127.0.0.1");
  ScopedEnvironment helo("NUBIVANE_SMTP_HELO", "h.example");
  ScopedEnvironment from("NUBIVANE_MAIL_FROM", "f@h.example");
  ScopedEnvironment to("NUBIVANE_MAIL_TO", "t@h.example");
  const services::MailService service = services::ErrorReportMailService();
  EXPECT_EQ(service.serverAddress, "127.0.0.1");
  EXPECT_EQ(service.heloDomain, "h.example");
  EXPECT_EQ(service.sender, "f@h.example");
  EXPECT_EQ(service.recipient, "t@h.example");
}

TEST(ErrorMail, LogSendsThroughTheConfiguredServiceAndReturnsZero) {
  testsupport::ScopedWorkDir dir;
  ClLog log("nubivane.log");
  {
    SmtpPeer peer;
    ScopedEnvironment server("NUBIVANE_SMTP_SERVER", "127.0.0.1");
    ScopedEnvironment port("NUBIVANE_SMTP_PORT", std::to_string(peer.Port()));
    EXPECT_EQ(log.SendErrorMail("1 - Main- Error- x\r\n"), 0);
    ASSERT_TRUE(peer.WaitDone(kPeerWaitMs));
    EXPECT_NE(peer.Data().find("\r\n\r\n1 - Main- Error- x\r\n\r\n.\r\n"), std::string::npos);
  }
  ScopedEnvironment server("NUBIVANE_SMTP_SERVER", "127.0.0.1");
  ScopedEnvironment port("NUBIVANE_SMTP_PORT", std::to_string(testpeers::ClosedLoopbackPort()));
  EXPECT_EQ(log.SendErrorMail("body"), 0);
}

}  // namespace
