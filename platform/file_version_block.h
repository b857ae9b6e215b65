#pragma once

#include <wx/string.h>

#include <cstdint>

// The version API: on Windows the version information of a file is its version resource; the
// stand-ins elsewhere take the version block it carries (platform/version_block_layout.h), found
// by reading the file. Either way the fixed information has the words of FixedInfoWord.

namespace platform {

// Size of the file's version information; 0 when the file cannot be read or has no block.
std::uint32_t GetVersionInfoSize(const wxString& path);

// Copies the file's version information into data, which holds size bytes.
bool GetVersionInfo(const wxString& path, std::uint32_t size, void* data);

// Looks a value up in version information read by GetVersionInfo: "\\" gives the fixed file
// information (13 words), "\\VarFileInfo\\Translation" the translation table (pairs of
// 16-bit words: language, code page). value points into data.
bool QueryVersionValue(const void* data, const wxString& subBlock, const void** value, std::uint32_t* length);

// Full path of the running executable; false when it cannot be found.
bool GetOwnExecutablePath(wxString& path);

}  // namespace platform
