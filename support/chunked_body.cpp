#include "support/chunked_body.h"

#include <algorithm>
#include <string>

#include "support/download_scheme.h"

namespace download {
namespace {

// A size and a few extensions; a line far longer than that is no chunk's.
constexpr std::size_t kMaxSizeLineBytes = 4096;
constexpr unsigned kHexBase = 16;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "1a3f", "1A3F;name=value", "1a3f ;ext": hex digits, then at most blanks before the extensions.
// A size past 64 bits is none.
bool ParseChunkSize(const std::string& line, std::uint64_t& size) {
  constexpr std::uint64_t kLargest = ~std::uint64_t{0};
  size = 0;
  std::size_t at = 0;
  for (; at < line.size() && HexValue(line[at]) >= 0; ++at) {
    if (size > kLargest / kHexBase) return false;
    size = size * kHexBase + static_cast<std::uint64_t>(HexValue(line[at]));
  }
  if (at == 0) return false;
  at = line.find_first_not_of(" \t", at);
  return at == std::string::npos || line[at] == ';';
}

}  // namespace

Io ChunkedBody::ReadSome(char* buffer, std::size_t capacity, std::size_t& count) {
  count = 0;
  if (left_ == 0) {
    const Io next = NextChunk();
    if (next != Io::kOk) return next;
  }
  const Io read =
      connection_.ReadSome(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(capacity, left_)), count);
  if (read == Io::kEnded) return Io::kFailed;  // cut inside a chunk
  if (read != Io::kOk) return read;
  left_ -= count;
  return Io::kOk;
}

// Reads up to the bytes of the next chunk, or to the end of the body.
Io ChunkedBody::NextChunk() {
  if (ended_) return Io::kEnded;
  std::string line;
  std::size_t budget = kMaxSizeLineBytes;
  if (afterChunk_) {
    const Io io = ReadFramingLine(line, budget);
    if (io != Io::kOk) return io;
    if (!line.empty()) return Io::kFailed;  // more bytes than the chunk's size said
    budget = kMaxSizeLineBytes;
  }
  Io io = ReadFramingLine(line, budget);
  if (io != Io::kOk) return io;
  if (!ParseChunkSize(line, left_)) return Io::kFailed;
  afterChunk_ = true;
  if (left_ > 0) return Io::kOk;
  // The last chunk. Its trailer lines are not read, only bounded together as a head is.
  budget = kMaxHeadBytes;
  do {
    io = ReadFramingLine(line, budget);
    if (io != Io::kOk) return io;
  } while (!line.empty());
  ended_ = true;
  return Io::kEnded;
}

// The lines around the chunks: the connection's end before the body's breaks it, and so does a
// line beyond its bound.
Io ChunkedBody::ReadFramingLine(std::string& line, std::size_t& budget) {
  const Io io = connection_.ReadLine(line, budget);
  return io == Io::kEnded || io == Io::kTooLong ? Io::kFailed : io;
}

}  // namespace download
