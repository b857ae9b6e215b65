// The version API: a file's version information is its version resource.

#include <windows.h>

#include <vector>

#include "platform/file_version_block.h"

namespace platform {

std::uint32_t GetVersionInfoSize(const wxString& path) {
  DWORD ignored = 0;
  return ::GetFileVersionInfoSizeW(path.wc_str(), &ignored);
}

// A buffer too small for the whole information is refused, not filled with a part of it.
bool GetVersionInfo(const wxString& path, std::uint32_t size, void* data) {
  return data != nullptr && size != 0 && size >= GetVersionInfoSize(path) &&
         ::GetFileVersionInfoW(path.wc_str(), 0, size, data) != FALSE;
}

bool QueryVersionValue(const void* data, const wxString& subBlock, const void** value,
                       std::uint32_t* length) {
  if (data == nullptr || value == nullptr || length == nullptr) {
    return false;
  }
  void* found = nullptr;
  UINT bytes = 0;
  if (::VerQueryValueW(data, subBlock.wc_str(), &found, &bytes) == FALSE || found == nullptr) {
    return false;
  }
  *value = found;
  *length = bytes;
  return true;
}

bool GetOwnExecutablePath(wxString& path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      return false;
    }
    if (n < buffer.size()) {
      path = wxString(buffer.data(), n);
      return true;
    }
    buffer.resize(buffer.size() * 2);  // the name was cut short
  }
}

}  // namespace platform
