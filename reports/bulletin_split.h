#pragma once

#include <wx/string.h>

#include <vector>

// Cuts a downloaded upper-air or SYNOP text into its pieces at every "=", the way the library's
// tokenizer does in its default mode: an empty piece between two "=" counts as long as some other
// character follows later, and the piece after the last "=" counts when it holds any character.
std::vector<wxString> SplitBulletinPieces(const wxString& text);
