#pragma once
// The probe module's exports: the plug-in's host exception frame, driven by a host
// program, to see a raise cross the host's frames and come back into the module.

#include "host/HostTypes.h"

extern "C" {

// Grants the module the host's "Core" table, as set-up does.
using ProbeGrantCoreProc = void (*)(plenvo::host::HFT core);
// Calls `operation(code)` in a host frame with a destructor-counting object of the
// module's beside it; answers 0 when the operation returned, else the raised error code.
using ProbeGuardedProc = int (*)(void (*operation)(int), int code);
// Inside one frame: the operation raising `innerCode` through an inner frame that drops
// it, then raising `outerCode`; answers what the outer frame caught, 0 for nothing.
using ProbeNestedProc = int (*)(void (*operation)(int), int innerCode, int outerCode);
// How many of the module's objects were destroyed since it was loaded.
using ProbeDestroyedProc = int (*)();

}
