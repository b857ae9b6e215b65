#pragma once

#include <wx/string.h>

#include <cstdint>

// The longest answer of the update host that can still be a version. The longest the program
// writes itself is 22 characters ("65535.6553565535.65535", four 16-bit numbers in the dotted
// form); the rest leaves room for the blanks and line ends around it. A longer answer is no
// version and is not read beyond this size.
constexpr std::uint64_t kLongestVersionAnswerBytes = 64;

// The update check's verdict on the version text the update host sent.
enum class VersionVerdict {
  kNewer,       // a real version after ours: offer it
  kUpToDate,    // ours, or older
  kNotVersion,  // no version at all (an error page, a redirection's page): the check failed
};

// The host's text with the blanks and line ends around it removed, when that is a version:
// numbers of digits separated by single dots ("1.23.4"), the whole text no longer than
// kLongestVersionAnswerBytes; empty otherwise.
wxString AnnouncedVersion(const wxString& hostText);

// Compares number by number (1.100.0 is after 1.90.0; a missing number counts as 0, so 1.23
// and 1.23.0 are the same). An empty local version (ours could not be read) is before every
// version.
VersionVerdict JudgeVersion(const wxString& localVersion, const wxString& hostText);
