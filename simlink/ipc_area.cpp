#include "simlink/ipc_area.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t LoadWord(const std::uint8_t* area, std::uint64_t offset) {
  std::uint32_t value;
  std::memcpy(&value, area + offset, 4);
  return value;
}

void StoreWord(std::uint8_t* area, std::uint64_t offset, std::uint32_t value) {
  std::memcpy(area + offset, &value, 4);
}

}  // namespace

std::uint32_t QueueRead(std::uint8_t* area, std::uint32_t at, std::uint32_t offset, std::uint32_t size,
                        std::uint32_t number) {
  StoreWord(area, at, kAreaReadId);
  StoreWord(area, at + 4, offset);
  StoreWord(area, at + 8, size);
  StoreWord(area, at + 12, number);  // ours to fill: the read's number
  std::memset(area + at + kAreaReadHeaderBytes, 0, size);
  return at + kAreaReadHeaderBytes + size;
}

std::uint32_t QueueWrite(std::uint8_t* area, std::uint32_t at, std::uint32_t offset, std::uint32_t size,
                         const void* source) {
  StoreWord(area, at, kAreaWriteId);
  StoreWord(area, at + 4, offset);
  StoreWord(area, at + 8, size);
  std::uint8_t* data = area + at + kAreaWriteHeaderBytes;
  if (source != nullptr) {
    std::memcpy(data, source, size);
  } else {
    std::memset(data, 0, size);
  }
  return at + kAreaWriteHeaderBytes + size;
}

void QueueEnd(std::uint8_t* area, std::uint32_t at) { StoreWord(area, at, kAreaEndId); }

void DeliverAnswers(std::uint8_t* area, const PendingRead* reads, std::size_t readCount) {
  std::uint64_t at = 0;
  std::size_t nextRead = 0;
  while (at + 4 <= kFsuipcAreaBytes) {
    const std::uint32_t id = LoadWord(area, at);
    if (id == kAreaEndId) return;
    if (id == kAreaReadId) {
      if (at + kAreaReadHeaderBytes > kFsuipcAreaBytes || nextRead >= readCount) return;
      const PendingRead& read = reads[nextRead++];
      if (read.headerOffset != at) return;
      const std::uint32_t size = LoadWord(area, at + 8);
      const std::uint64_t available = kFsuipcAreaBytes - (at + kAreaReadHeaderBytes);
      const std::uint64_t bytes = std::min<std::uint64_t>({size, read.size, available});
      if (read.destination != nullptr && bytes != 0) {
        std::memcpy(read.destination, area + at + kAreaReadHeaderBytes, static_cast<std::size_t>(bytes));
      }
      at += kAreaReadHeaderBytes + std::uint64_t{size};
    } else if (id == kAreaWriteId) {
      if (at + kAreaWriteHeaderBytes > kFsuipcAreaBytes) return;
      at += kAreaWriteHeaderBytes + std::uint64_t{LoadWord(area, at + 8)};
    } else {
      StoreWord(area, at, kAreaEndId);
      return;
    }
  }
}
