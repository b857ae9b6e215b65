#pragma once

#include <wx/string.h>

#include <cstdint>
#include <memory>

// The version a file carries, in practice the program's own: shown in the status bar and the
// About dialog, and compared with the newest version the update host announces.
class ClFileVersion {
 public:
  ClFileVersion() = default;
  ClFileVersion(const ClFileVersion&) = delete;
  ClFileVersion& operator=(const ClFileVersion&) = delete;

  // Empty name: the running executable. True when the block and its translation table were read.
  bool Load(wxString fileName);
  // dotted: "%u.%u%u.%u" (1.2.3.45 gives "1.23.45"); otherwise "%u,%u,%u,%u". Empty when
  // nothing is loaded.
  wxString GetFileVersion(bool dotted) const;

 private:
  std::unique_ptr<std::uint8_t[]> Data;  // the version information; null when none is loaded
  std::uint32_t Translation = 0;         // language << 16 | code page
};

// Formats the fixed file information's two file-version words.
wxString FormatFileVersion(std::uint32_t versionMs, std::uint32_t versionLs, bool dotted);
