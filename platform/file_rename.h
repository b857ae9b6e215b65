#pragma once

#include <wx/string.h>

namespace platform {

// Renames from to to in one step, replacing a file of that name, so that there is always either
// the old or the new file; false when it could not.
bool RenameReplacing(const wxString& from, const wxString& to);

}  // namespace platform
