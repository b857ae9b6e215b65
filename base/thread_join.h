#pragma once

#include <wx/thread.h>

// Deletes a joinable thread that has been asked to stop, and makes sure it is joined. The library
// does not join a thread that ended on its own before it looked, which may then still be on its way
// out when its object is deleted: waiting joins it in that case, and does nothing when it was
// joined already.
inline wxThreadError DeleteJoined(wxThread& thread, wxThread::ExitCode* rc, wxThreadWait waitMode) {
  const wxThreadError error = thread.Delete(rc, waitMode);
  if (thread.GetId() != 0) {
    const wxThread::ExitCode code = thread.Wait(waitMode);
    if (rc != nullptr) *rc = code;
  }
  return error;
}
