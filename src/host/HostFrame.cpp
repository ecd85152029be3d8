#include "host/HostFrame.h"

namespace plenvo::host {

HostFrame::HostFrame() : core_(gHostState[HostTable::kCore].table) {
    ASPushExceptionFrame(this, &HostFrame::Restore);
}

// The host never raises from the pop, so this cannot throw while the stack unwinds.
HostFrame::~HostFrame() {
    reinterpret_cast<core::ASPopExceptionFrame::ProcType>(core_[core::ASPopExceptionFrame::kIndex])();
}

void HostFrame::Restore(void*) { throw HostRaise{}; }

}  // namespace plenvo::host
