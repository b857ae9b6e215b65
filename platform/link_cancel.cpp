#include "platform/link_cancel.h"

// Which cancel a thread is bound to; the cancel itself (its wake object and its pause) is made
// by the platform's own file.

namespace {

thread_local LinkCancel* tBound = nullptr;

}  // namespace

void BindLinkCancel(LinkCancel* cancel) { tBound = cancel; }

LinkCancel* BoundLinkCancel() { return tBound; }

bool LinkCancelRaised() { return tBound != nullptr && tBound->Raised(); }
