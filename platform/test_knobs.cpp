#include "platform/test_knobs.h"

#include <array>
#include <atomic>
#include <cstdlib>

namespace {

std::array<std::atomic<bool>, static_cast<int>(PlatformFault::kCount)> gFaults{};

double ScaleFromEnvironment() {
  const char* text = std::getenv("NUBIVANE_TIME_SCALE");
  if (text == nullptr) return 1.0;
  const double scale = std::atof(text);
  return scale > 0.0 ? scale : 1.0;
}

std::atomic<double>& Scale() {
  static std::atomic<double> scale{ScaleFromEnvironment()};
  return scale;
}

}  // namespace

void SetPlatformFault(PlatformFault fault, bool on) { gFaults[static_cast<int>(fault)] = on; }

bool PlatformFaultActive(PlatformFault fault) { return gFaults[static_cast<int>(fault)]; }

void ClearPlatformFaults() {
  for (auto& fault : gFaults) fault = false;
}

void SetPlatformTimeScale(double scale) { Scale() = scale > 0.0 ? scale : 1.0; }

double PlatformTimeScale() { return Scale(); }

std::int64_t ScaledMicros(std::uint32_t ms) {
  return static_cast<std::int64_t>(static_cast<double>(ms) * 1000.0 * PlatformTimeScale());
}
