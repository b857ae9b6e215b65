// Global atoms shared between processes: one small file per atom in the runtime directory, named
// by its number and holding "<use count>\n<name>". Changes are made under a lock file and land by
// rename, so a lookup reads a whole entry without taking the lock.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/test_knobs.h"
#include "platform/win_ipc.h"
#include "runtime_dir.h"

namespace {

constexpr WinAtom kFirstStringAtom = 0xC000;
constexpr std::uint32_t kStringAtomCount = 0x4000;
constexpr std::size_t kMaxAtomNameBytes = 255;
constexpr std::size_t kMaxEntryBytes = 16 + kMaxAtomNameBytes;

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

std::string AtomDir() { return IpcRuntimeDir() + "/atoms"; }

std::string MadeAtomDir() {
  const std::string dir = EnsureIpcRuntimeDir() + "/atoms";
  ::mkdir(dir.c_str(), 0700);
  return dir;
}

std::string AtomFile(const std::string& dir, WinAtom atom) {
  char name[8];
  std::snprintf(name, sizeof name, "%04X", static_cast<unsigned>(atom));
  return dir + "/" + name;
}

std::optional<AtomEntry> LoadAtom(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char text[kMaxEntryBytes + 1];
  const ssize_t got = ::read(fd, text, kMaxEntryBytes);
  ::close(fd);
  if (got <= 0) return std::nullopt;
  text[got] = '\0';
  const char* newline = std::strchr(text, '\n');
  if (newline == nullptr) return std::nullopt;
  return AtomEntry{std::strtol(text, nullptr, 10), std::string(newline + 1)};
}

bool StoreAtom(const std::string& path, const AtomEntry& entry) {
  const std::string text = std::to_string(entry.uses) + "\n" + entry.name;
  const std::string temporary = path + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return written && ::rename(temporary.c_str(), path.c_str()) == 0;
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
  const std::string dir = MadeAtomDir();
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
  const std::optional<AtomEntry> entry = LoadAtom(AtomFile(AtomDir(), atom));
  if (!entry) {
    SetLastError(kWinErrorFileNotFound);
    return 0;
  }
  const std::size_t length = std::min(entry->name.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(buffer, entry->name.data(), length);
  buffer[length] = '\0';
  return static_cast<WinUint>(length);
}
