#include "common/test_paths.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

std::string FixturePath(const std::string& name) { return std::string(NUB_FIXTURES_DIR) + "/" + name; }

std::string SharedDataPath(const std::string& name) { return std::string(NUB_SHARED_DATA_DIR) + "/" + name; }

std::string CataloguePath(const std::string& name) { return std::string(NUB_CATALOGUE_DIR) + "/" + name; }

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

ScopedWorkDir::ScopedWorkDir() : previous_(fs::current_path().string()) {
  std::string pattern = (fs::temp_directory_path() / "nubivane-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  fs::current_path(path_);
}

ScopedWorkDir::~ScopedWorkDir() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(path_, ignored);
}

}  // namespace testsupport
