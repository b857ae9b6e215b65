#include "support/file_version.h"

#include <cstring>

#include "platform/file_version_block.h"
#include "platform/version_block_layout.h"

namespace {

std::uint32_t HighWord(std::uint32_t value) { return value >> 16; }
std::uint32_t LowWord(std::uint32_t value) { return value & 0xFFFFu; }

}  // namespace

wxString FormatFileVersion(std::uint32_t versionMs, std::uint32_t versionLs, bool dotted) {
  // The dotted form has no dot between minor and build: it is what the update host announces.
  const wxString format = dotted ? wxS("%u.%u%u.%u") : wxS("%u,%u,%u,%u");
  return wxString::Format(format, HighWord(versionMs), LowWord(versionMs), HighWord(versionLs),
                          LowWord(versionLs));
}

bool ClFileVersion::Load(wxString fileName) {
  if (fileName.empty() && !platform::GetOwnExecutablePath(fileName)) {
    return false;
  }
  const std::uint32_t size = platform::GetVersionInfoSize(fileName);
  if (size == 0) {
    return false;
  }
  Data.reset(new std::uint8_t[size]);
  const void* table = nullptr;
  std::uint32_t tableBytes = 0;
  if (!platform::GetVersionInfo(fileName, size, Data.get()) ||
      !platform::QueryVersionValue(Data.get(), wxS("\\VarFileInfo\\Translation"), &table, &tableBytes) ||
      tableBytes < 2 * sizeof(std::uint16_t)) {
    Data.reset();
    Translation = 0;
    return false;
  }
  std::uint16_t words[2];
  std::memcpy(words, table, sizeof words);
  Translation = static_cast<std::uint32_t>(words[0]) << 16 | words[1];
  return true;
}

wxString ClFileVersion::GetFileVersion(bool dotted) const {
  if (!Data) {
    return wxString();
  }
  const void* value = nullptr;
  std::uint32_t bytes = 0;
  std::uint32_t fixed[platform::kFixedInfoWords];
  if (!platform::QueryVersionValue(Data.get(), wxS("\\"), &value, &bytes) || bytes < sizeof fixed) {
    return wxString();
  }
  std::memcpy(fixed, value, sizeof fixed);
  return FormatFileVersion(fixed[platform::kFixedFileVersionMs], fixed[platform::kFixedFileVersionLs],
                           dotted);
}
