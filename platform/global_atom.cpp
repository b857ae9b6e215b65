// Global atoms shared between processes: one small file per atom in the runtime directory, named
// by its number and holding "<use count>\n<name>". A lock file serialises the table.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/ipc_runtime_dir.h"
#include "platform/test_knobs.h"
#include "platform/win_ipc.h"

namespace {

constexpr WinAtom kFirstStringAtom = 0xC000;
constexpr std::uint32_t kStringAtomCount = 0x4000;
constexpr std::size_t kMaxAtomNameBytes = 255;

class AtomTableLock {
 public:
  explicit AtomTableLock(const std::string& dir) {
    fd_ = ::open((dir + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~AtomTableLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  AtomTableLock(const AtomTableLock&) = delete;
  AtomTableLock& operator=(const AtomTableLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

struct AtomEntry {
  long uses = 0;
  std::string name;
};

std::string AtomDir() {
  const std::string dir = IpcRuntimeDir() + "/atoms";
  ::mkdir(dir.c_str(), 0700);
  return dir;
}

std::string AtomFile(const std::string& dir, WinAtom atom) {
  char name[8];
  std::snprintf(name, sizeof name, "%04X", static_cast<unsigned>(atom));
  return dir + "/" + name;
}

std::optional<AtomEntry> LoadAtom(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  AtomEntry entry;
  in >> entry.uses;
  in.get();  // the newline after the count
  std::getline(in, entry.name, '\0');
  if (!in.eof() && in.fail()) return std::nullopt;
  return entry;
}

bool StoreAtom(const std::string& path, const AtomEntry& entry) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << entry.uses << '\n' << entry.name;
  return static_cast<bool>(out);
}

bool ValidAtom(WinAtom atom) { return atom >= kFirstStringAtom; }

}  // namespace

WinAtom GlobalAddAtomA(const char* name) {
  if (PlatformFaultActive(PlatformFault::kAddAtom)) {
    SetLastError(kWinErrorNotEnoughMemory);
    return 0;
  }
  if (name == nullptr || *name == '\0' || std::strlen(name) > kMaxAtomNameBytes) {
    SetLastError(kWinErrorInvalidParameter);
    return 0;
  }
  const std::string dir = AtomDir();
  AtomTableLock lock(dir);
  if (!lock.Held()) return 0;
  const std::uint32_t start = StableHash(name) % kStringAtomCount;
  for (std::uint32_t probe = 0; probe < kStringAtomCount; ++probe) {
    const auto atom = static_cast<WinAtom>(kFirstStringAtom + (start + probe) % kStringAtomCount);
    const std::string path = AtomFile(dir, atom);
    std::optional<AtomEntry> entry = LoadAtom(path);
    if (!entry) return StoreAtom(path, AtomEntry{1, name}) ? atom : 0;
    if (entry->name == name) {
      ++entry->uses;
      return StoreAtom(path, *entry) ? atom : 0;
    }
  }
  SetLastError(kWinErrorNotEnoughMemory);
  return 0;
}

WinAtom GlobalDeleteAtom(WinAtom atom) {
  if (!ValidAtom(atom)) return atom;
  const std::string dir = AtomDir();
  AtomTableLock lock(dir);
  const std::string path = AtomFile(dir, atom);
  std::optional<AtomEntry> entry = LoadAtom(path);
  if (!lock.Held() || !entry) return atom;
  if (--entry->uses > 0) return StoreAtom(path, *entry) ? 0 : atom;
  return ::unlink(path.c_str()) == 0 ? 0 : atom;
}

WinUint GlobalGetAtomNameA(WinAtom atom, char* buffer, int bufferSize) {
  if (!ValidAtom(atom) || buffer == nullptr || bufferSize <= 0) return 0;
  const std::string dir = AtomDir();
  AtomTableLock lock(dir);
  const std::optional<AtomEntry> entry = LoadAtom(AtomFile(dir, atom));
  if (!entry) {
    SetLastError(kWinErrorFileNotFound);
    return 0;
  }
  const std::size_t length = std::min(entry->name.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(buffer, entry->name.data(), length);
  buffer[length] = '\0';
  return static_cast<WinUint>(length);
}
