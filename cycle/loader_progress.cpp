#include "cycle/loader_progress.h"

#include <wx/event.h>

#include "cycle/loader_events.h"

void ProgressPublisher::Offer(bool force) {
  if (!force && !Due()) return;
  sentOnce_ = true;
  last_ = std::chrono::steady_clock::now();
  LoaderProgress copy = current_;
  copy.Label = copy.Label.Clone();
  copy.Counts = copy.Counts.Clone();
  if (mailbox_.Put(std::move(copy)) && sink_ != nullptr) {
    wxQueueEvent(sink_, new wxThreadEvent(EVT_LOADER_PROGRESS));
  }
}
