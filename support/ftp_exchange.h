#pragma once

#include "support/download_scheme.h"

namespace download {

// FTP in passive mode, logged in as the URL says or anonymously: the commands on one connection,
// the resource on a second, in binary type. The server confirms a whole transfer on the command
// connection once the data has ended; where it also gave the file's size (SIZE), a transfer of
// any other size is broken whatever the server confirms, since some servers confirm a transfer
// whose data connection was cut.
class FtpExchange final : public SchemeExchange {
 public:
  explicit FtpExchange(const TransferGuard& guard) : control_(guard), data_(guard) {}

  DownloadResult Open(const Target& target, const std::string& address, Transfer& transfer) override;
  ByteSource& Body() override { return data_; }
  DownloadResult Confirmed() override;

 private:
  DownloadResult AskSize(const Target& target, Transfer& transfer);
  Io ReadReply(int& code, std::string* firstLine = nullptr);
  Io Command(const std::string& command, int& code, std::string* reply = nullptr);

  Connection control_;
  Connection data_;
};

}  // namespace download
