#pragma once

#include <cstddef>

namespace platform {

// Standard input and output carry the bytes as they are: without it the Windows C runtime writes
// CR LF for every line feed and reads CR LF back as LF, so the tools' output would differ from
// one platform to the other. Nothing to do elsewhere.
void UseBinaryStandardStreams();

// Waits up to timeoutMs for standard input (a pipe, a file or a terminal): the bytes read, at most
// capacity; 0 at its end; -1 when nothing came in time; -2 when it cannot be read.
long ReadStandardInput(char* buffer, std::size_t capacity, int timeoutMs);

}  // namespace platform
