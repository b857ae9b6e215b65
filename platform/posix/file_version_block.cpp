#include "platform/file_version_block.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/version_block_layout.h"

#ifndef NUB_VERSION_MAJOR
#error "NUB_VERSION_MAJOR and the other parts of the project version come from the build"
#endif

// This program's own block; it sits here so that every executable that reads a version carries
// one.
NUB_DEFINE_VERSION_BLOCK(nubOwnVersionBlock, NUB_VERSION_MAJOR, NUB_VERSION_MINOR, NUB_VERSION_PATCH,
                         NUB_VERSION_TWEAK);

namespace platform {
namespace {

constexpr std::size_t kScanChunkBytes = 1 << 20;
constexpr char kMarkerScrambleKey = 0x5A;

using Marker = std::array<char, kVersionMarkerBytes>;

constexpr Marker ScrambledMarker() {
  const EmbeddedVersionBlock block = MakeVersionBlock(0, 0, 0, 0);
  Marker scrambled{};
  for (std::size_t i = 0; i < kVersionMarkerBytes; ++i) {
    scrambled[i] = static_cast<char>(block.marker[i] ^ kMarkerScrambleKey);
  }
  return scrambled;
}

constexpr Marker kScrambledMarker = ScrambledMarker();

// The key goes through a volatile so that the compiler cannot fold the plain marker back into
// the executable's constants.
Marker PlainMarker() {
  volatile char key = kMarkerScrambleKey;
  Marker plain{};
  for (std::size_t i = 0; i < kVersionMarkerBytes; ++i) {
    plain[i] = static_cast<char>(kScrambledMarker[i] ^ key);
  }
  return plain;
}

bool IsValidBlock(const char* bytes) {
  EmbeddedVersionBlock block;
  std::memcpy(&block, bytes, sizeof block);
  return block.layout == kVersionBlockLayout && block.check == VersionBlockCheck(block);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the file in chunks that overlap by one block less a byte, so that a block that
// straddles two chunks is still found whole. The first valid block wins.
bool FindVersionBlock(const wxString& path, EmbeddedVersionBlock& found) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.fn_str(), "rb"));
  if (!file) {
    return false;
  }
  const Marker marker = PlainMarker();
  constexpr std::size_t kKeep = sizeof(EmbeddedVersionBlock) - 1;
  std::vector<char> buffer(kScanChunkBytes + kKeep);
  std::size_t filled = 0;
  for (;;) {
    const std::size_t n = std::fread(buffer.data() + filled, 1, kScanChunkBytes, file.get());
    filled += n;
    const char* begin = buffer.data();
    const char* end = begin + filled;
    for (const char* at = begin; end - at >= static_cast<std::ptrdiff_t>(sizeof found);) {
      const void* hit = ::memmem(at, static_cast<std::size_t>(end - at), marker.data(), marker.size());
      if (hit == nullptr || end - static_cast<const char*>(hit) < static_cast<std::ptrdiff_t>(sizeof found)) {
        break;
      }
      const char* candidate = static_cast<const char*>(hit);
      if (IsValidBlock(candidate)) {
        std::memcpy(&found, candidate, sizeof found);
        return true;
      }
      at = candidate + 1;
    }
    if (n == 0) {
      return false;
    }
    const std::size_t keep = filled < kKeep ? filled : kKeep;
    std::memmove(buffer.data(), end - keep, keep);
    filled = keep;
  }
}

}  // namespace

std::uint32_t GetVersionInfoSize(const wxString& path) {
  EmbeddedVersionBlock block;
  return FindVersionBlock(path, block) ? static_cast<std::uint32_t>(sizeof block) : 0;
}

bool GetVersionInfo(const wxString& path, std::uint32_t size, void* data) {
  EmbeddedVersionBlock block;
  if (data == nullptr || size < sizeof block || !FindVersionBlock(path, block)) {
    return false;
  }
  std::memcpy(data, &block, sizeof block);
  return true;
}

bool QueryVersionValue(const void* data, const wxString& subBlock, const void** value,
                       std::uint32_t* length) {
  if (data == nullptr || value == nullptr || length == nullptr) {
    return false;
  }
  const auto* block = static_cast<const EmbeddedVersionBlock*>(data);
  if (subBlock == wxS("\\")) {
    *value = block->fixedInfo;
    *length = static_cast<std::uint32_t>(sizeof block->fixedInfo);
    return true;
  }
  if (subBlock == wxS("\\VarFileInfo\\Translation")) {
    *value = block->translation;
    *length = static_cast<std::uint32_t>(sizeof block->translation);
    return true;
  }
  return false;
}

bool GetOwnExecutablePath(wxString& path) {
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
    return false;
  }
  path = wxString(buffer.data(), wxConvFile, static_cast<std::size_t>(n));
  return !path.empty();
}

}  // namespace platform
