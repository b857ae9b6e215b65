#include "support/file_version.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "common/test_paths.h"
#include "platform/file_version_block.h"
#include "platform/version_block_layout.h"

namespace {

using testsupport::ScopedWorkDir;
using testsupport::WriteBytes;

struct Loaded {
  bool ok;
  wxString dotted;
  wxString plain;
};

Loaded LoadVersion(const wxString& path) {
  ClFileVersion version;
  const bool ok = version.Load(path);
  return {ok, version.GetFileVersion(true), version.GetFileVersion(false)};
}

TEST(FileVersion, BuiltFilesGiveTheirVersionOrNone) {
  const Loaded withBlock = LoadVersion(NUB_PROBE_1_2_3_45);
  EXPECT_TRUE(withBlock.ok);
  EXPECT_EQ(withBlock.dotted, "1.23.45");
  EXPECT_EQ(withBlock.plain, "1,2,3,45");

  for (const char* path : {NUB_PROBE_NO_VERSION, "/nonexistent/file.exe"}) {
    const Loaded none = LoadVersion(path);
    EXPECT_FALSE(none.ok) << path;
    EXPECT_EQ(none.dotted, "") << path;
    EXPECT_EQ(none.plain, "") << path;
  }
}

TEST(FileVersion, EmptyNameReadsTheRunningProgramsProjectVersion) {
  const Loaded own = LoadVersion(wxString());
  EXPECT_TRUE(own.ok);
  EXPECT_EQ(own.plain, NUB_PROJECT_VERSION_PLAIN);
}

TEST(FileVersion, NothingLoadedGivesEmptyText) {
  ClFileVersion version;
  EXPECT_EQ(version.GetFileVersion(true), "");
  EXPECT_EQ(version.GetFileVersion(false), "");
}

// The dotted form has no dot between minor and build, so different versions can share a text.
TEST(FileVersion, DottedAndPlainForms) {
  const struct {
    std::uint16_t major, minor, build, revision;
    const char* dotted;
    const char* plain;
  } cases[] = {
      {1, 2, 3, 45, "1.23.45", "1,2,3,45"},
      {1, 2, 3, 4, "1.23.4", "1,2,3,4"},
      {1, 1, 0, 0, "1.10.0", "1,1,0,0"},
      {1, 10, 0, 0, "1.100.0", "1,10,0,0"},
      {1, 1, 10, 0, "1.110.0", "1,1,10,0"},
      {1, 11, 0, 0, "1.110.0", "1,11,0,0"},
      {0, 9, 0, 1, "0.90.1", "0,9,0,1"},
      {65535, 65535, 65535, 65535, "65535.6553565535.65535", "65535,65535,65535,65535"},
  };
  for (const auto& c : cases) {
    const std::uint32_t ms = static_cast<std::uint32_t>(c.major) << 16 | c.minor;
    const std::uint32_t ls = static_cast<std::uint32_t>(c.build) << 16 | c.revision;
    EXPECT_EQ(FormatFileVersion(ms, ls, true), c.dotted);
    EXPECT_EQ(FormatFileVersion(ms, ls, false), c.plain);
  }
}

// The reader scans the file in chunks of 1 MiB; the block must be found wherever it lies, and a
// damaged copy must not be taken for it.
TEST(FileVersion, BlockIsFoundAnywhereInTheFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows reads the version resource, not a block in the file";
#endif
  const wxString probe = NUB_PROBE_1_2_3_45;
  const std::uint32_t size = platform::GetVersionInfoSize(probe);
  ASSERT_EQ(size, sizeof(platform::EmbeddedVersionBlock));
  std::string block(size, '\0');
  ASSERT_TRUE(platform::GetVersionInfo(probe, size, block.data()));
  std::string damaged = block;
  damaged[offsetof(platform::EmbeddedVersionBlock, fixedInfo) + 4 * platform::kFixedFileVersionMs] ^= 0x01;

  constexpr std::size_t kChunk = 1 << 20;
  const std::string filler(kChunk + 4096, 'z');
  const struct {
    const char* name;
    std::string bytes;
    const char* dotted;
  } cases[] = {
      {"at the start", block + filler, "1.23.45"},
      {"at the very end", filler + block, "1.23.45"},
      {"across the first chunk's end", filler.substr(0, kChunk - size / 2) + block + filler, "1.23.45"},
      {"right after the first chunk", filler.substr(0, kChunk) + block, "1.23.45"},
      {"behind a damaged copy", damaged + filler.substr(0, 100) + block, "1.23.45"},
      {"damaged only", filler + damaged + filler, ""},
      {"cut off by the file's end", filler + block.substr(0, size - 1), ""},
      {"empty file", "", ""},
  };
  ScopedWorkDir dir;
  for (const auto& c : cases) {
    WriteBytes("candidate.exe", c.bytes);
    const Loaded loaded = LoadVersion("candidate.exe");
    EXPECT_EQ(loaded.ok, *c.dotted != '\0') << c.name;
    EXPECT_EQ(loaded.dotted, c.dotted) << c.name;
  }
}

TEST(FileVersion, QueryKnowsTheFixedInformationAndTheTranslation) {
  const wxString probe = NUB_PROBE_1_2_3_45;
  std::string block(platform::GetVersionInfoSize(probe), '\0');
  ASSERT_TRUE(platform::GetVersionInfo(probe, static_cast<std::uint32_t>(block.size()), block.data()));
  const void* value = nullptr;
  std::uint32_t length = 0;
  ASSERT_TRUE(platform::QueryVersionValue(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, 13 * sizeof(std::uint32_t));
  std::uint32_t fixed[13];
  std::memcpy(fixed, value, sizeof fixed);
  EXPECT_EQ(fixed[platform::kFixedSignature], 0xFEEF04BDu);
  EXPECT_EQ(fixed[platform::kFixedFileVersionMs], 0x00010002u);
  EXPECT_EQ(fixed[platform::kFixedFileVersionLs], 0x0003002Du);
  ASSERT_TRUE(platform::QueryVersionValue(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  EXPECT_EQ(length, 4u);
  EXPECT_FALSE(
      platform::QueryVersionValue(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
  EXPECT_FALSE(platform::GetVersionInfo(probe, 4, block.data()));
}

}  // namespace
