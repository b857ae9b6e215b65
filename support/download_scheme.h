#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/download.h"
#include "support/download_url.h"
#include "support/transfer_guard.h"

namespace download {

// Far beyond any real answer's head (or FTP reply): a longer one is refused, not read whole.
constexpr std::size_t kMaxHeadBytes = 64 << 10;

// What the server announced of the resource's length, and how much of it has come.
struct Transfer {
  std::uint64_t received = 0;
  std::uint64_t size = 0;
  bool sizeKnown = false;
  // The size is the file's when it was asked for, and the file may grow while it is sent (a feed
  // that takes new reports): fewer bytes are a cut, more are the grown file.
  bool sizeMayGrow = false;
};

// A length as a server writes it: digits only ("abc", "-1" and "" are none); one past 64 bits
// stays the largest value, so that it is refused as too large rather than read as another.
bool ParseLength(const std::string& text, std::uint64_t& length);

// One scheme's exchange with the server, in the steps every download takes: ask for the resource
// (whether the server hands it out, and what it says of its length), read its bytes from the body
// connection, and have the server confirm that the transfer ended whole.
class SchemeExchange {
 public:
  virtual ~SchemeExchange() = default;
  // kComplete once the server hands the resource out, transfer holding its announced length;
  // otherwise why not.
  virtual DownloadResult Open(const Target& target, const std::string& address, Transfer& transfer) = 0;
  // Where the resource's bytes arrive, once open.
  virtual ByteSource& Body() = 0;
  // After the bytes have ended whole: kComplete when the server agrees.
  virtual DownloadResult Confirmed() = 0;
};

}  // namespace download
