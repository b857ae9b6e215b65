#pragma once

#include "support/download_scheme.h"

namespace download {

// HTTP/1.0: one GET; only a 2xx answer carries the resource (a redirection's or an error's page,
// or an interim answer, is none). Its end is its own confirmation: the announced length, or
// without one the server closing the connection in order.
class HttpExchange final : public SchemeExchange {
 public:
  explicit HttpExchange(const TransferGuard& guard) : connection_(guard) {}

  DownloadResult Open(const Target& target, const std::string& address, Transfer& transfer) override;
  Connection& Body() override { return connection_; }
  DownloadResult Confirmed() override { return DownloadResult::kComplete; }

 private:
  DownloadResult ReadHead(Transfer& transfer);

  Connection connection_;
};

}  // namespace download
