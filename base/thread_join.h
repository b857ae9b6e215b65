#pragma once

#include <wx/thread.h>

// Deletes a joinable thread that has been asked to stop, and makes sure it is joined. The library
// does not join a thread that ended on its own before it looked, which may then still be on its way
// out when its object is deleted: waiting joins it in that case, and does nothing when it was
// joined already. On Windows the library's Delete always waits for the end and then lets the
// thread's handle go, so a second wait there would be on a closed handle (an error box, and an
// attempt to kill a thread that is gone).
inline wxThreadError DeleteJoined(wxThread& thread, wxThread::ExitCode* rc, wxThreadWait waitMode) {
  const wxThreadError error = thread.Delete(rc, waitMode);
#ifndef __WINDOWS__
  if (thread.GetId() != 0) {
    const wxThread::ExitCode code = thread.Wait(waitMode);
    if (rc != nullptr) *rc = code;
  }
#endif
  return error;
}
