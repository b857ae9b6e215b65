// The runtime directory is where another local user would attack: a folder they made first (or
// can write in) lets them plant links that the atom files are written through, or answer as the
// simulator. Such a folder is refused, and no file in it is written through a link.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/posix/runtime_dir.h"
#include "platform/win_ipc.h"
#include "platform/window_endpoint.h"
#include "platform_env.h"

namespace {

namespace fs = std::filesystem;

constexpr char kVictimText[] = "the user's own file\n";
constexpr WinAtom kFirstAtom = 0xC000;
constexpr unsigned kAtomCount = 0x4000;
constexpr uid_t kOtherUser = 65534;  // nobody

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Every temporary name an atom could be written through, each a link to the victim.
void PlantAtomLinks(const std::string& atoms, const std::string& victim) {
  fs::create_directories(atoms);
  for (unsigned i = 0; i < kAtomCount; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "/%04X.new", kFirstAtom + i);
    fs::create_symlink(victim, atoms + name);
  }
}

bool Answers(WindowEndpoint& endpoint) {
  return endpoint.Open(kTestWindowClass, [](WinUint, WinWparam, WinLparam, WinDwordPtr* reply) {
    *reply = 1;
    return true;
  });
}

class IpcFolderTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    victim_ = MakeDir() + "/victim.txt";
    WriteText(victim_, kVictimText);
  }

  // A folder of this user's, 0700, where the simulator's window answers and every atom's
  // temporary name is a link to the victim; the case then spoils the folder or its atoms.
  std::string PreparedFolder(WindowEndpoint* window) {
    const std::string folder = MakeDir() + "/ipc";
    EXPECT_EQ(::mkdir(folder.c_str(), 0700), 0);
    UseDir(folder);
    EXPECT_TRUE(Answers(*window));
    EXPECT_NE(FindWindowExA(0, 0, kTestWindowClass, nullptr), 0u);  // the folder is good so far
    PlantAtomLinks(folder + "/atoms", victim_);
    return folder;
  }

  // Nothing is made, found or written there, and the reason names the folder and the fault.
  void ExpectRefused(const std::string& shownFolder, const std::string& reason) {
    EXPECT_EQ(GlobalAddAtomA("FsasmLib:IPC:651C:1"), 0);
    EXPECT_EQ(ReadText(victim_), kVictimText);
    EXPECT_EQ(FindWindowExA(0, 0, kTestWindowClass, nullptr), 0u);
    WindowEndpoint another;
    EXPECT_FALSE(another.Open("FS98MAIN", [](WinUint, WinWparam, WinLparam, WinDwordPtr*) { return true; }));
    const std::string problem = IpcRuntimeDirProblem();
    EXPECT_NE(problem.find("the IPC folder " + shownFolder + " is refused: "), std::string::npos) << problem;
    EXPECT_NE(problem.find(reason), std::string::npos) << problem;
  }

  std::string victim_;
};

enum class Spoil { kAnotherOwner, kWritableByOthers, kWritableByGroup, kLink };

struct SpoilCase {
  const char* name;
  Spoil spoil;
  bool atomsOnly;  // the atom folder inside spoilt, the runtime directory left good
  const char* reason;
};

class SpoiltFolderTest : public IpcFolderTest, public ::testing::WithParamInterface<SpoilCase> {};

TEST_P(SpoiltFolderTest, IsRefusedAndTheVictimStaysUntouched) {
  const SpoilCase& c = GetParam();
  if (c.spoil == Spoil::kAnotherOwner && ::geteuid() != 0) {
    GTEST_SKIP() << "handing a folder to another user needs root (CI runs as root)";
  }
  WindowEndpoint window;
  const std::string folder = PreparedFolder(&window);
  const std::string target = c.atomsOnly ? folder + "/atoms" : folder;
  std::string shown = target;
  switch (c.spoil) {
    case Spoil::kAnotherOwner:
      ASSERT_EQ(::chown(target.c_str(), kOtherUser, kOtherUser), 0);
      break;
    case Spoil::kWritableByOthers:
      ASSERT_EQ(::chmod(target.c_str(), 0777), 0);
      break;
    case Spoil::kWritableByGroup:
      ASSERT_EQ(::chmod(target.c_str(), 0770), 0);
      break;
    case Spoil::kLink:
      // A link to a folder that would pass every other check.
      if (c.atomsOnly) {
        const std::string moved = folder + "/planted";
        fs::rename(target, moved);
        fs::create_directory_symlink(moved, target);
      } else {
        shown = MakeDir() + "/link";
        fs::create_directory_symlink(target, shown);
        UseDir(shown);
      }
      break;
  }
  if (c.atomsOnly) {
    // The other side still answers in a good runtime directory; only the atoms are refused.
    EXPECT_EQ(GlobalAddAtomA("FsasmLib:IPC:651C:1"), 0);
    EXPECT_EQ(ReadText(victim_), kVictimText);
    const std::string problem = IpcRuntimeDirProblem();
    EXPECT_NE(problem.find("the IPC folder " + shown + " is refused: "), std::string::npos) << problem;
    EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
    // Refused for the folder itself, not only for the links in it.
    for (const auto& entry : fs::directory_iterator(target)) fs::remove(entry.path());
    EXPECT_EQ(GlobalAddAtomA("FsasmLib:IPC:651C:1"), 0);
  } else {
    ExpectRefused(shown, c.reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    IpcFolder, SpoiltFolderTest,
    ::testing::Values(SpoilCase{"AnotherOwner", Spoil::kAnotherOwner, false, "another user (uid 65534)"},
                      SpoilCase{"WritableByOthers", Spoil::kWritableByOthers, false, "(mode 0777)"},
                      SpoilCase{"WritableByGroup", Spoil::kWritableByGroup, false, "(mode 0770)"},
                      SpoilCase{"Link", Spoil::kLink, false, "symbolic link"},
                      SpoilCase{"AtomsOfAnotherOwner", Spoil::kAnotherOwner, true,
                                "another user (uid 65534)"},
                      SpoilCase{"AtomsWritableByOthers", Spoil::kWritableByOthers, true, "(mode 0777)"},
                      SpoilCase{"AtomsLink", Spoil::kLink, true, "symbolic link"}),
    [](const ::testing::TestParamInfo<SpoilCase>& info) { return std::string(info.param.name); });

TEST_F(IpcFolderTest, AFileInPlaceOfTheFolderIsRefused) {
  const std::string file = MakeDir() + "/ipc";
  WriteText(file, "");
  UseDir(file);
  ExpectRefused(file, "not a folder");
}

// In a good folder a planted link is still never written through: the atom is not made.
TEST_F(IpcFolderTest, AtomFilesAreNeverWrittenThroughALink) {
  WindowEndpoint window;
  PreparedFolder(&window);
  EXPECT_EQ(IpcRuntimeDirProblem(), "");
  EXPECT_EQ(GlobalAddAtomA("FsasmLib:IPC:651C:1"), 0);
  EXPECT_EQ(ReadText(victim_), kVictimText);
}

// An atom file that is a link is replaced, not followed; a plain temporary file that a process
// left when it died is cleared away and does not block the atom.
TEST_F(IpcFolderTest, ALinkAsAtomFileIsReplacedAndALeftTemporaryFileIsCleared) {
  const WinAtom atom = GlobalAddAtomA("probe");  // finds the atom's number
  ASSERT_NE(atom, 0);
  ASSERT_EQ(GlobalDeleteAtom(atom), 0);
  char name[8];
  std::snprintf(name, sizeof name, "%04X", static_cast<unsigned>(atom));
  const std::string file = Dir() + "/atoms/" + name;
  fs::create_symlink(victim_, file);
  WriteText(file + ".new", "1\nleft by a process that died");
  EXPECT_EQ(GlobalAddAtomA("probe"), atom);
  EXPECT_EQ(ReadText(victim_), kVictimText);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
  EXPECT_FALSE(fs::exists(file + ".new"));
  char text[32] = {};
  EXPECT_EQ(GlobalGetAtomNameA(atom, text, sizeof text), 5u);
  EXPECT_STREQ(text, "probe");
}

// An atom file that is a link is not read either: the name would be whatever the target holds.
TEST_F(IpcFolderTest, AnAtomFileThatIsALinkIsNoAtom) {
  const WinAtom atom = GlobalAddAtomA("probe");
  ASSERT_NE(atom, 0);
  char name[8];
  std::snprintf(name, sizeof name, "%04X", static_cast<unsigned>(atom));
  const std::string file = Dir() + "/atoms/" + name;
  WriteText(victim_, "1\nsecret");
  fs::remove(file);
  fs::create_symlink(victim_, file);
  char text[32] = {};
  EXPECT_EQ(GlobalGetAtomNameA(atom, text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
}

// A temporary file that is not a plain file of ours is left alone, and the atom is not made.
TEST_F(IpcFolderTest, AnotherUsersTemporaryFileIsNeitherWrittenNorRemoved) {
  if (::geteuid() != 0) GTEST_SKIP() << "handing a file to another user needs root (CI runs as root)";
  const WinAtom atom = GlobalAddAtomA("probe");
  ASSERT_NE(atom, 0);
  ASSERT_EQ(GlobalDeleteAtom(atom), 0);
  char name[16];
  std::snprintf(name, sizeof name, "%04X.new", static_cast<unsigned>(atom));
  const std::string temporary = Dir() + "/atoms/" + name;
  WriteText(temporary, kVictimText);
  ASSERT_EQ(::chown(temporary.c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_EQ(GlobalAddAtomA("probe"), 0);
  EXPECT_EQ(ReadText(temporary), kVictimText);
}

// Without NUBIVANE_IPC_DIR the per-user folder is made for this user alone, whatever the umask.
TEST_F(IpcFolderTest, TheDefaultFolderIsMadeForThisUserAlone) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  const std::optional<std::string> previous = xdg != nullptr ? std::optional<std::string>(xdg) : std::nullopt;
  const std::string runtime = MakeDir();
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  ::unsetenv("NUBIVANE_IPC_DIR");
  const mode_t umask = ::umask(0);
  const WinAtom atom = GlobalAddAtomA("default folder");
  ::umask(umask);
  if (previous) {
    ::setenv("XDG_RUNTIME_DIR", previous->c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
  EXPECT_NE(atom, 0);
  for (const std::string& folder : {runtime + "/nubivane-ipc", runtime + "/nubivane-ipc/atoms"}) {
    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0) << folder;
    EXPECT_TRUE(S_ISDIR(info.st_mode)) << folder;
    EXPECT_EQ(info.st_mode & 07777, 0700u) << folder;
    EXPECT_EQ(info.st_uid, ::geteuid()) << folder;
  }
}

}  // namespace
