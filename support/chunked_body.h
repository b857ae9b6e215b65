#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/transfer_guard.h"

namespace download {

// An answer's body in the chunked transfer coding, read as the bytes it carries. Each chunk is a
// line with its size in hex (extensions after a ';' are not read), that many bytes and a line
// end; the chunk of size 0 and the trailer lines after it, up to an empty line, end the body. The
// body is whole only at that end: the connection ending anywhere before it, or a line out of
// this form, breaks the transfer. Every wait is the connection's, so the guard keeps them all.
class ChunkedBody final : public ByteSource {
 public:
  explicit ChunkedBody(Connection& connection) : connection_(connection) {}

  // kEnded once the last chunk and its trailer have been read; kFailed for a body cut short or
  // out of form.
  Io ReadSome(char* buffer, std::size_t capacity, std::size_t& count) override;

 private:
  Io NextChunk();
  Io ReadFramingLine(std::string& line, std::size_t& budget);

  Connection& connection_;
  std::uint64_t left_ = 0;   // bytes of the current chunk still to come
  bool afterChunk_ = false;  // a chunk's bytes have ended: its line end comes next
  bool ended_ = false;
};

}  // namespace download
