#include "common/test_paths.h"

#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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

wxString ReadLatin1(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  std::wstring wide(bytes.size(), L'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
  return wxString(wide);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string MakeTempDir(const std::string& prefix) {
  static std::mt19937_64 random(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path path = fs::temp_directory_path() / (prefix + "-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (fs::create_directory(path, error)) return path.string();
  }
  throw std::runtime_error("no temporary folder could be made");
}

bool RunningUnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
  _putenv_s(name.c_str(), "");  // an empty value removes the variable
#else
  unsetenv(name.c_str());
#endif
}

ScopedWorkDir::ScopedWorkDir() : previous_(fs::current_path().string()) {
  path_ = MakeTempDir("nubivane-test");
  fs::current_path(path_);
}

ScopedWorkDir::~ScopedWorkDir() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(path_, ignored);
}

}  // namespace testsupport
