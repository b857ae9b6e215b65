#pragma once

#include <cstdint>

// The request that a console program of ours (the simulator stand-in) stops cleanly: SIGINT or
// SIGTERM elsewhere; on Windows Ctrl+C, Ctrl+Break, the console closing, or RequestStop from
// another process.

namespace platform {

// Call before any thread starts: from then on only WaitForStopRequest takes the request.
void CatchStopRequests();

// Waits for the request; seconds >= 0 bounds the wait. True when the request came.
bool WaitForStopRequest(long seconds);

// Asks the process with that id to stop, as the keyboard or a terminating signal would. False
// when it cannot be asked.
bool RequestStop(std::uint32_t processId);

}  // namespace platform
