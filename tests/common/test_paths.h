#pragma once

#include <wx/string.h>

#include <string>

namespace testsupport {

// Paths of the test data: our own fixtures, the real sample data beside the checkout,
// and the shipped station catalogues.
std::string FixturePath(const std::string& name);
std::string SharedDataPath(const std::string& name);
std::string CataloguePath(const std::string& name);

// Whole file as bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Whole file as text, each byte the character of the same code (ISO 8859-1, as the feeds are
// read); empty when it cannot be read.
wxString ReadLatin1(const std::string& path);

// A fresh folder under the system's temporary folder, its name beginning with prefix.
std::string MakeTempDir(const std::string& prefix);

// True for the Windows build running under wine, which differs from Windows in a few details.
bool RunningUnderWine();

// The process environment, as the program and the GUI library read it.
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

// Makes a fresh temporary folder the working directory for the life of the object, because
// the program reads and writes its files ("station.dat", "Nubivane.ini", ...) by relative name.
class ScopedWorkDir {
 public:
  ScopedWorkDir();
  ~ScopedWorkDir();
  ScopedWorkDir(const ScopedWorkDir&) = delete;
  ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

}  // namespace testsupport
