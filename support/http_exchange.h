#pragma once

#include "support/chunked_body.h"
#include "support/download_scheme.h"

namespace download {

// HTTP/1.0: one GET; only a 2xx answer carries the resource (a redirection's or an error's page,
// or an interim answer, is none). Its end is its own confirmation: the announced length, the last
// chunk of a chunked body (some servers answer so even a 1.0 request), or without either the
// server closing the connection in order. A head whose framing is not plain is no answer.
class HttpExchange final : public SchemeExchange {
 public:
  explicit HttpExchange(const TransferGuard& guard) : connection_(guard), chunked_(connection_) {}

  DownloadResult Open(const Target& target, const std::string& address, Transfer& transfer) override;
  ByteSource& Body() override;
  DownloadResult Confirmed() override { return DownloadResult::kComplete; }

 private:
  DownloadResult ReadHead(Transfer& transfer);

  Connection connection_;
  ChunkedBody chunked_;
  bool chunkedBody_ = false;
};

}  // namespace download
