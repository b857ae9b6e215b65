#pragma once

#include "support/download_scheme.h"

namespace download {

// FTP in passive mode, logged in as the URL says or anonymously: the commands on one connection,
// the resource on a second. The server announces no length; it confirms a whole transfer on the
// command connection once the data has ended.
class FtpExchange final : public SchemeExchange {
 public:
  explicit FtpExchange(const TransferGuard& guard) : control_(guard), data_(guard) {}

  DownloadResult Open(const Target& target, const std::string& address, Transfer& transfer) override;
  Connection& Body() override { return data_; }
  DownloadResult Confirmed() override;

 private:
  Io ReadReply(int& code);
  Io Command(const std::string& command, int& code);

  Connection control_;
  Connection data_;
};

}  // namespace download
