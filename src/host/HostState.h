#pragma once

// The module-wide host state: the extension identity and, per table name, the table
// pointer and the version it was granted under. Written at set-up, read by every host
// call afterwards, all on the host's user-interface thread; plain data, no locks.

#include <array>

#include "host/HostTables.h"

namespace plenvo::host {

struct GrantedTable {
    HFT table = nullptr;
    ASVersion version = kNoVersion;  // 0 while the table is not granted
};

struct HostState {
    ASExtension extensionId = nullptr;
    std::array<GrantedTable, kHostTableCount> tables{};

    GrantedTable& operator[](HostTable table) { return tables[static_cast<std::size_t>(table)]; }
    const GrantedTable& operator[](HostTable table) const {
        return tables[static_cast<std::size_t>(table)];
    }
};

// The one instance for the module.
extern HostState gHostState;

}  // namespace plenvo::host
