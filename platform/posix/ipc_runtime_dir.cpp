#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime_dir.h"

namespace {

std::string DefaultDir() {
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg != '\0') {
    return std::string(xdg) + "/nubivane-ipc";
  }
  return "/tmp/nubivane-ipc-" + std::to_string(getuid());
}

// Another user who can place files in the folder can plant links the link's files would be
// written through, or play the other side: why the folder cannot be trusted, empty when it can.
std::string DistrustOf(const struct stat& info) {
  if (S_ISLNK(info.st_mode)) return "it is a symbolic link";
  if (!S_ISDIR(info.st_mode)) return "it is not a folder";
  if (info.st_uid != ::geteuid())
    return "it belongs to another user (uid " + std::to_string(info.st_uid) + ")";
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return std::string("other users may write in it (mode ") + mode + ")";
  }
  return {};
}

std::string Refusal(const std::string& shown, const std::string& why) {
  return "the IPC folder " + shown + " is refused: " + why;
}

}  // namespace

std::string IpcRuntimeDir() {
  const char* chosen = std::getenv("NUBIVANE_IPC_DIR");
  return (chosen != nullptr && *chosen != '\0') ? std::string(chosen) : DefaultDir();
}

int OpenTrustedDir(int at, const std::string& name, const std::string& shown, bool create,
                   std::string* problem) {
  problem->clear();
  if (create && ::mkdirat(at, name.c_str(), 0700) != 0 && errno != EEXIST) {
    *problem = Refusal(shown, std::strerror(errno));
    return -1;
  }
  // The checks are made on the folder opened, so it cannot be swapped between check and use.
  const int fd = ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT && !create) return -1;  // nothing there yet: nothing to refuse
    struct stat info {};
    const bool named = ::fstatat(at, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    const std::string why = named ? DistrustOf(info) : std::string();
    *problem = Refusal(shown, why.empty() ? std::strerror(error) : why);
    return -1;
  }
  struct stat info {};
  const std::string why = ::fstat(fd, &info) != 0 ? std::strerror(errno) : DistrustOf(info);
  if (!why.empty()) {
    ::close(fd);
    *problem = Refusal(shown, why);
    return -1;
  }
  return fd;
}

bool EnsureIpcRuntimeDir(std::string* problem) {
  std::string ignored;
  const std::string dir = IpcRuntimeDir();
  const int fd = OpenTrustedDir(AT_FDCWD, dir, dir, true, problem != nullptr ? problem : &ignored);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool IpcRuntimeDirTrusted() {
  std::string ignored;
  const std::string dir = IpcRuntimeDir();
  const int fd = OpenTrustedDir(AT_FDCWD, dir, dir, false, &ignored);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string IpcRuntimeDirProblem() {
  const std::string dir = IpcRuntimeDir();
  std::string problem;
  const int fd = OpenTrustedDir(AT_FDCWD, dir, dir, false, &problem);
  if (fd < 0) return problem;
  const int atoms = OpenTrustedDir(fd, kAtomFolderName, dir + "/" + kAtomFolderName, false, &problem);
  if (atoms >= 0) ::close(atoms);
  ::close(fd);
  return problem;
}

std::uint32_t StableHash(const std::string& text) {
  constexpr std::uint32_t kFnvOffset = 2166136261u;
  constexpr std::uint32_t kFnvPrime = 16777619u;
  std::uint32_t hash = kFnvOffset;
  for (const unsigned char c : text) hash = (hash ^ c) * kFnvPrime;
  return hash;
}
