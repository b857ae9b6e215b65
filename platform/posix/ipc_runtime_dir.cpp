#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "runtime_dir.h"

namespace {

std::string DefaultDir() {
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg != '\0') {
    return std::string(xdg) + "/nubivane-ipc";
  }
  return "/tmp/nubivane-ipc-" + std::to_string(getuid());
}

}  // namespace

std::string IpcRuntimeDir() {
  const char* chosen = std::getenv("NUBIVANE_IPC_DIR");
  return (chosen != nullptr && *chosen != '\0') ? std::string(chosen) : DefaultDir();
}

std::string EnsureIpcRuntimeDir() {
  std::string dir = IpcRuntimeDir();
  ::mkdir(dir.c_str(), 0700);  // an existing folder is fine
  return dir;
}

std::uint32_t StableHash(const std::string& text) {
  constexpr std::uint32_t kFnvOffset = 2166136261u;
  constexpr std::uint32_t kFnvPrime = 16777619u;
  std::uint32_t hash = kFnvOffset;
  for (const unsigned char c : text) hash = (hash ^ c) * kFnvPrime;
  return hash;
}
