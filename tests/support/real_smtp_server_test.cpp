#include <gtest/gtest.h>

#include "peers/child_process.h"
#include "support/error_mail.h"

namespace {

constexpr int kStartMs = 10000;
constexpr int kMessageMs = 10000;

// A real SMTP implementation takes the dialogue as the program speaks it and, once it has
// undone the dot doubling, stores exactly the header block and the body.
TEST(RealSmtpServer, AcceptsTheMailAndStoresTheBodyUnchanged) {
#ifdef _WIN32
  GTEST_SKIP() << "the real server is a program of the build machine, which wine does not start";
#endif
  testpeers::ChildProcess server({NUB_SYSTEM_PYTHON, NUB_PEERS_DIR "/aiosmtpd_peer.py", "10"});
  ASSERT_TRUE(server.Started());
  std::string port;
  ASSERT_TRUE(server.ReadLine(port, kStartMs)) << "aiosmtpd did not start";

  services::MailService service;
  service.serverAddress = "127.0.0.1";
  service.port = static_cast<std::uint16_t>(std::stoi(port));
  service.heloDomain = "test.example";
  service.sender = "errorlog@test.example";
  service.recipient = "debug@test.example";
  service.connectTimeoutMs = 3000;
  service.replyTimeoutMs = 5000;
  service.dialogueTimeoutMs = 10000;
  const std::string body = "1 - Nubivane Start\r\n.\r\n..two\r\n2 - Main- Error- \xB0\r\n";
  EXPECT_EQ(SendMailMessage(service, body), MailResult::kSent);

  std::string lines[4];
  for (auto& line : lines) {
    ASSERT_TRUE(server.ReadLine(line, kMessageMs));
  }
  EXPECT_EQ(lines[0], "HELO test.example");
  EXPECT_EQ(lines[1], "FROM errorlog@test.example");
  EXPECT_EQ(lines[2], "TO debug@test.example");
  std::string content;
  ASSERT_TRUE(server.ReadToEnd(content, kMessageMs));
  const std::string expected = MailHeaderPiece(service) + body + "\r\n";
  EXPECT_EQ(lines[3], "CONTENT " + std::to_string(expected.size()));
  EXPECT_EQ(content, expected);
}

}  // namespace
