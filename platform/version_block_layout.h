#pragma once

#include <cstddef>
#include <cstdint>

// The version block that an executable of ours carries in its data, in place of a Windows
// version resource. The file is searched for the marker; the layout word and the check word
// make sure that a stray copy of the marker bytes is not taken for a block.

namespace platform {

constexpr std::size_t kVersionMarkerBytes = 16;
constexpr std::uint32_t kVersionBlockLayout = 1;
constexpr std::size_t kFixedInfoWords = 13;

// The words of the fixed file information, in their usual order.
enum FixedInfoWord : std::size_t {
  kFixedSignature,
  kFixedStructVersion,
  kFixedFileVersionMs,  // major << 16 | minor
  kFixedFileVersionLs,  // build << 16 | revision
  kFixedProductVersionMs,
  kFixedProductVersionLs,
  kFixedFlagsMask,
  kFixedFlags,
  kFixedOs,
  kFixedType,
  kFixedSubtype,
  kFixedDateMs,
  kFixedDateLs,
};

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr std::uint32_t kFixedInfoStructVersion = 0x00010000u;
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;
constexpr std::uint16_t kCodePageUnicode = 1200;

struct EmbeddedVersionBlock {
  char marker[kVersionMarkerBytes];
  std::uint32_t layout;
  std::uint32_t fixedInfo[kFixedInfoWords];
  std::uint16_t translation[2];  // language, code page
  std::uint32_t check;
};

constexpr std::uint32_t VersionBlockCheck(const EmbeddedVersionBlock& block) {
  std::uint32_t sum = block.layout;
  for (std::size_t i = 0; i < kFixedInfoWords; ++i) {
    sum = sum * 31u + block.fixedInfo[i];
  }
  sum = sum * 31u + block.translation[0];
  sum = sum * 31u + block.translation[1];
  return ~sum;
}

// The marker is spelled out only here, in a function evaluated at compile time, so that the
// one copy of it in an executable is the block itself (the reader keeps it scrambled).
constexpr EmbeddedVersionBlock MakeVersionBlock(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                                                std::uint16_t revision) {
  EmbeddedVersionBlock block{{'N', 'u', 'b', 'i', 'v', 'a', 'n', 'e', '-', 'V', 'e', 'r', 's', 'i', 'o', 'n'},
                             kVersionBlockLayout,
                             {},
                             {kLanguageEnglishUs, kCodePageUnicode},
                             0};
  const std::uint32_t ms = static_cast<std::uint32_t>(major) << 16 | minor;
  const std::uint32_t ls = static_cast<std::uint32_t>(build) << 16 | revision;
  block.fixedInfo[kFixedSignature] = kFixedInfoSignature;
  block.fixedInfo[kFixedStructVersion] = kFixedInfoStructVersion;
  block.fixedInfo[kFixedFileVersionMs] = ms;
  block.fixedInfo[kFixedFileVersionLs] = ls;
  block.fixedInfo[kFixedProductVersionMs] = ms;
  block.fixedInfo[kFixedProductVersionLs] = ls;
  block.check = VersionBlockCheck(block);
  return block;
}

}  // namespace platform

// Defines an executable's block. It is a writable object so that the compiler keeps no second,
// constant copy of it (debug information, merged constants), and "used" keeps it in the file.
#define NUB_DEFINE_VERSION_BLOCK(name, major, minor, build, revision) \
  __attribute__((used)) platform::EmbeddedVersionBlock name =         \
      platform::MakeVersionBlock((major), (minor), (build), (revision))
