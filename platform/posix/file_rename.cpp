#include "platform/file_rename.h"

#include <cstdio>

namespace platform {

bool RenameReplacing(const wxString& from, const wxString& to) {
  return std::rename(from.fn_str(), to.fn_str()) == 0;
}

}  // namespace platform
