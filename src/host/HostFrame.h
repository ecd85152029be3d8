#pragma once

// How a host exception reaches the plug-in. The host ends a failing operation by calling
// the restore procedure of the innermost frame; ours throws HostRaise, so the stack
// unwinds as any C++ exception does and every destructor on the way runs. Code that
// calls the host writes:
//
//     try {
//         HostFrame frame;
//         ... host calls ...
//     } catch (const HostRaise&) {
//         ... ASGetExceptionErrorCode() tells the code; the frame is already popped ...
//     }

#include "host/HostCalls.h"

namespace plenvo::host {

// A host exception on its way to the handler of the frame it was raised through.
// Deliberately not a std::exception: nothing that catches those may stop it.
class HostRaise final {};

// Pushes a host exception frame for its lifetime; pops it on every way out, before the
// handler runs. Frames nest: the innermost one handles.
class HostFrame {
public:
    HostFrame();
    ~HostFrame();
    HostFrame(const HostFrame&) = delete;
    HostFrame& operator=(const HostFrame&) = delete;

private:
    [[noreturn]] static void Restore(void* frame);

    // Set-up replaces the Core table, and on a refusal with null, while its frame stands.
    HFT core_;
};

// Runs `call` in a frame of its own and drops a host exception it raises. For releases on
// the way out of an operation, where a failure can no longer change the outcome.
template <class Call>
void IgnoringHostRaise(Call&& call) {
    try {
        HostFrame frame;
        call();
    } catch (const HostRaise&) {
    }
}

}  // namespace plenvo::host
