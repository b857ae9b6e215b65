#pragma once

#include <cstddef>
#include <cstdint>

#include "simlink/ipc_client.h"

// The layout of the link's shared area, as both sides read it: our requests queued into it, and
// the walk that hands the module's answers to our reads.

constexpr std::uint32_t kAreaReadId = 1;
constexpr std::uint32_t kAreaWriteId = 2;
constexpr std::uint32_t kAreaEndId = 0;
constexpr std::uint32_t kAreaReadHeaderBytes = 16;   // id, offset, size, our read's number
constexpr std::uint32_t kAreaWriteHeaderBytes = 12;  // id, offset, size

// One of our reads, in queue order. The area's 32-bit destination field cannot hold a pointer
// here, so the destinations stay on this side.
struct PendingRead {
  void* destination;
  std::uint32_t size;
  std::uint32_t headerOffset;  // where its header was queued in the area
};

// Queue one request at offset at of the area (room already checked); the offset after it. A
// read's data bytes are zeroed, a write's copied from source (zeros without one).
std::uint32_t QueueRead(std::uint8_t* area, std::uint32_t at, std::uint32_t offset, std::uint32_t size,
                        std::uint32_t number);
std::uint32_t QueueWrite(std::uint8_t* area, std::uint32_t at, std::uint32_t offset, std::uint32_t size,
                         const void* source);
// The end mark after the last request.
void QueueEnd(std::uint8_t* area, std::uint32_t at);

// Walks the answered area (kFsuipcAreaBytes long). Each read answer goes only to the next of our
// own reads, and only when it sits where we queued it; no header or size from the other side
// takes the walk outside the area or a copy past the size we asked for. An unknown id ends the
// walk and is overwritten with the end mark.
void DeliverAnswers(std::uint8_t* area, const PendingRead* reads, std::size_t readCount);
