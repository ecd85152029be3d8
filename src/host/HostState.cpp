#include "host/HostState.h"

namespace plenvo::host {

HostState gHostState;

}  // namespace plenvo::host
