#pragma once

#include <wx/string.h>

#include <cstdint>
#include <string>

#include "options/option_data.h"

// "Nubivane.ini", in the working directory.
inline const wxString kIniFileName = wxS("Nubivane.ini");

// The largest ini file read or saved over. Ours holds 18 short keys; a larger file is somebody
// else's, and reading it would hold the start and every save, the shut-down's too, for about a
// second per megabyte.
constexpr std::uint64_t kLargestIniBytes = 64 * 1024;

// A whole decimal number within the signed 32-bit range, blanks around it allowed, an optional
// sign. Anything else ("12abc", "0x10", "5000000000", "") is no number: false, value untouched.
bool ParseIniNumber(const wxString& text, std::int32_t* value);

// The ini file's text from its bytes: a UTF-8, UTF-16 or UTF-32 byte-order mark is honoured;
// without one the bytes are UTF-8 when they are valid UTF-8 and ISO 8859-1 otherwise, so every
// file decodes and survives a save. Bytes that are no clean text (a UTF-16 file cut short, a
// lone surrogate, a NUL byte) are left out: UTF-16 keeps its whole characters, a line holding a
// NUL becomes empty, and whole is false.
struct IniText {
  wxString text;
  bool whole = true;
};
IniText DecodeIniText(const std::string& bytes);

// Reads the stored options into the block. A key that is absent or holds no valid number leaves
// its field as it was. False when the file exists but cannot be read or is larger than
// kLargestIniBytes (nothing is loaded then), or could be read only in part (the keys of its clean
// lines are loaded then); true otherwise.
bool LoadIni(OptionData* options, const wxString& path = kIniFileName);

// Writes the 18 stored options, keeping the file's other lines and the place of every key
// already in it. The new text goes to a temporary file that then replaces the old one, so a
// failed save leaves the old file whole; a path that is a symbolic link is saved into the file
// it names, and stays a link. A file that could be read only in part is saved with what could
// be read. False when the file was not written (an existing file that cannot be read, is larger
// than kLargestIniBytes or is read-only, a folder that cannot be written), with the reason in
// *reason.
bool SaveIni(const OptionData& options, const wxString& path = kIniFileName, wxString* reason = nullptr);

// The text that says a save failed: "Can't save Nubivane.ini: " and the reason.
wxString IniSaveFailureText(const wxString& reason);
