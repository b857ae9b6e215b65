#pragma once

#include <cstdint>

// Two knobs for tests of the link: failures of calls that cannot fail on their own here, and a
// time scale applied to every Sleep and send time-out (so nine timed-out tries take milliseconds).

enum class PlatformFault : int { kRegisterMessage = 0, kAddAtom, kMapView, kCount };

void SetPlatformFault(PlatformFault fault, bool on);
bool PlatformFaultActive(PlatformFault fault);
void ClearPlatformFaults();

// 1.0 is real time. Read once from NUBIVANE_TIME_SCALE unless a test sets it.
void SetPlatformTimeScale(double scale);
double PlatformTimeScale();
// A duration in milliseconds after scaling, in microseconds.
std::int64_t ScaledMicros(std::uint32_t ms);
