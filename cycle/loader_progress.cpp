#include "cycle/loader_progress.h"

#include <wx/event.h>

#include "cycle/loader_events.h"

void ProgressPublisher::Offer(bool force) {
  if (!force && !Due()) return;
  sentOnce_ = true;
  last_ = std::chrono::steady_clock::now();
  if (mailbox_.Put(current_.DeepCopy()) && sink_ != nullptr) {
    wxQueueEvent(sink_, new wxThreadEvent(EVT_LOADER_PROGRESS));
  }
}
