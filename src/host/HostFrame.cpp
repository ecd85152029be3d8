#include "host/HostFrame.h"

namespace plenvo::host {

HostFrame::HostFrame() { ASPushExceptionFrame(this, &HostFrame::Restore); }

// The host never raises from the pop, so this cannot throw while the stack unwinds.
HostFrame::~HostFrame() { ASPopExceptionFrame(); }

void HostFrame::Restore(void*) { throw HostRaise{}; }

}  // namespace plenvo::host
