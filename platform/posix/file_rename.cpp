#include "platform/file_rename.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace platform {

namespace {

constexpr int kMostLinksFollowed = 40;  // as the kernel gives up on a path (ELOOP)

}  // namespace

bool RenameReplacing(const wxString& from, const wxString& to) {
  return std::rename(from.fn_str(), to.fn_str()) == 0;
}

wxString LinkTarget(const wxString& path) {
  std::string current(path.fn_str());
  for (int followed = 0; followed < kMostLinksFollowed; ++followed) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) break;
    target.resize(static_cast<std::size_t>(length));
    // A relative target is relative to the folder holding the link.
    const std::size_t slash = current.rfind('/');
    current =
        target.front() == '/' || slash == std::string::npos ? target : current.substr(0, slash + 1) + target;
  }
  return wxString(current.c_str(), *wxConvFileName);
}

}  // namespace platform
