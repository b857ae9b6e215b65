#pragma once

#include <wx/string.h>

namespace platform {

// Renames from to to in one step, replacing a file of that name, so that there is always either
// the old or the new file; false when it could not.
bool RenameReplacing(const wxString& from, const wxString& to);

// The file a path names once its symbolic links (a link to a link too) are followed, so that a
// file replaced by rename is replaced where it lies and the link stays; the path itself when it
// is no link (always on Windows). A link to a missing file gives that file's path.
wxString LinkTarget(const wxString& path);

}  // namespace platform
