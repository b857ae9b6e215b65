// Global atoms shared between processes: one small file per atom in the runtime directory, named
// by its number and holding "<use count>\n<name>". Changes are made under a lock file and land by
// rename, so a lookup reads a whole entry without taking the lock.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// A descriptor closed with its owner.
class OpenFolder {
 public:
  explicit OpenFolder(int fd) : fd_(fd) {}
  ~OpenFolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

// The atom table's folder, used only when it and the runtime directory around it can be
// trusted; every file of the table is then opened relative to it. create: made when missing.
int OpenAtomDir(bool create) {
  std::string problem;
  const std::string runtime = IpcRuntimeDir();
  const OpenFolder dir(OpenTrustedDir(AT_FDCWD, runtime, runtime, create, &problem));
  if (dir.Fd() < 0) return -1;
  return OpenTrustedDir(dir.Fd(), kAtomFolderName, runtime + "/" + kAtomFolderName, create, &problem);
}

class AtomTableLock {
 public:
  explicit AtomTableLock(int dir) {
    fd_ = ::openat(dir, "lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
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

std::string AtomFile(WinAtom atom) {
  char name[8];
  std::snprintf(name, sizeof name, "%04X", static_cast<unsigned>(atom));
  return name;
}

std::optional<AtomEntry> LoadAtom(int dir, const std::string& file) {
  const int fd = ::openat(dir, file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
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

// The temporary file is made afresh. One that is there already (we hold the lock) is what a
// process that died mid-change left: a plain file of ours is removed, anything else refused.
int CreateTemporary(int dir, const std::string& temporary) {
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::openat(dir, temporary.c_str(), flags, 0600);
  if (fd >= 0 || errno != EEXIST) return fd;
  struct stat left {};
  if (::fstatat(dir, temporary.c_str(), &left, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(left.st_mode) ||
      left.st_uid != ::geteuid() || ::unlinkat(dir, temporary.c_str(), 0) != 0) {
    return -1;
  }
  return ::openat(dir, temporary.c_str(), flags, 0600);
}

bool StoreAtom(int dir, const std::string& file, const AtomEntry& entry) {
  const std::string text = std::to_string(entry.uses) + "\n" + entry.name;
  const std::string temporary = file + ".new";
  const int fd = CreateTemporary(dir, temporary);
  if (fd < 0) return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (written && ::renameat(dir, temporary.c_str(), dir, file.c_str()) == 0) return true;
  ::unlinkat(dir, temporary.c_str(), 0);
  return false;
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
  const OpenFolder dir(OpenAtomDir(true));
  if (dir.Fd() < 0) {
    SetLastError(kWinErrorAccessDenied);
    return 0;
  }
  AtomTableLock lock(dir.Fd());
  if (!lock.Held()) return 0;
  const std::uint32_t start = StableHash(name) % kStringAtomCount;
  for (std::uint32_t probe = 0; probe < kStringAtomCount; ++probe) {
    const auto atom = static_cast<WinAtom>(kFirstStringAtom + (start + probe) % kStringAtomCount);
    const std::string file = AtomFile(atom);
    std::optional<AtomEntry> entry = LoadAtom(dir.Fd(), file);
    if (!entry) return StoreAtom(dir.Fd(), file, AtomEntry{1, name}) ? atom : 0;
    if (entry->name == name) {
      ++entry->uses;
      return StoreAtom(dir.Fd(), file, *entry) ? atom : 0;
    }
  }
  SetLastError(kWinErrorNotEnoughMemory);
  return 0;
}

WinAtom GlobalDeleteAtom(WinAtom atom) {
  if (!ValidAtom(atom)) return atom;
  const OpenFolder dir(OpenAtomDir(false));
  if (dir.Fd() < 0) return atom;
  AtomTableLock lock(dir.Fd());
  const std::string file = AtomFile(atom);
  std::optional<AtomEntry> entry = LoadAtom(dir.Fd(), file);
  if (!lock.Held() || !entry) return atom;
  if (--entry->uses > 0) return StoreAtom(dir.Fd(), file, *entry) ? 0 : atom;
  return ::unlinkat(dir.Fd(), file.c_str(), 0) == 0 ? 0 : atom;
}

WinUint GlobalGetAtomNameA(WinAtom atom, char* buffer, int bufferSize) {
  if (!ValidAtom(atom) || buffer == nullptr || bufferSize <= 0) return 0;
  const OpenFolder dir(OpenAtomDir(false));
  const std::optional<AtomEntry> entry = dir.Fd() < 0 ? std::nullopt : LoadAtom(dir.Fd(), AtomFile(atom));
  if (!entry) {
    SetLastError(kWinErrorFileNotFound);
    return 0;
  }
  const std::size_t length = std::min(entry->name.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(buffer, entry->name.data(), length);
  buffer[length] = '\0';
  return static_cast<WinUint>(length);
}
