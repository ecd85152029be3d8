// The thirteen tables and how the host grants them by name and version.

#include <algorithm>

#include "HostRuntime.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

constexpr std::uint64_t kExtensionId = 4;

struct Tables {
    std::array<HFTEntry, core::kSlotCount> core{};
    std::array<HFTEntry, cos::kSlotCount> cos{};
    std::array<HFTEntry, pdmodel::kSlotCount> pdmodel{};
    std::array<HFTEntry, acroview::kSlotCount> acroview{};
    std::array<HFTEntry, acrosupport::kSlotCount> acrosupport{};
    // The tables the plug-in acquires and never calls hold no entries.
    std::array<std::array<HFTEntry, 1>, kHostTableCount> empty{};
    std::array<HFT, kHostTableCount> byName{};

    Tables() {
        FillCoreTable(core);
        FillCosTable(cos);
        FillPDModelTable(pdmodel);
        FillAcroViewTable(acroview);
        FillAcroSupportTable(acrosupport);
        for (std::size_t i = 0; i < kHostTableCount; ++i) byName[i] = empty[i].data();
        byName[Index(HostTable::kCore)] = core.data();
        byName[Index(HostTable::kCos)] = cos.data();
        byName[Index(HostTable::kPDModel)] = pdmodel.data();
        byName[Index(HostTable::kAcroView)] = acroview.data();
        byName[Index(HostTable::kAcroSupport)] = acrosupport.data();
    }

    static std::size_t Index(HostTable table) { return static_cast<std::size_t>(table); }
};

const Tables& TheTables() {
    static const Tables tables;
    return tables;
}

std::size_t TableIndex(std::string_view name) {
    const auto found = std::find(kHostTableNames.begin(), kHostTableNames.end(), name);
    return static_cast<std::size_t>(found - kHostTableNames.begin());
}

TableSettings& SettingsFor(std::string_view name) {
    const std::size_t index = TableIndex(name);
    if (index == kHostTableCount) throw std::invalid_argument("no host table " + std::string(name));
    return TheHost().tables[index];
}

}  // namespace

HFT CoreTable() { return TheTables().core.data(); }

ASExtension ExtensionIdentity() { return MakeHandle<ASExtension>(kExtensionId); }

void GrantAllTables(HostState& state) {
    state = HostState{};
    state.extensionId = ExtensionIdentity();
    for (std::size_t i = 0; i < kHostTableCount; ++i) {
        const HFT table = GrantTable(std::string(kHostTableNames[i]), kHostTableVersion);
        state.tables[i] = {table, table != nullptr ? ReportedVersion(table) : kNoVersion};
    }
}

HFT GrantTable(const std::string& name, ASVersion version) {
    const std::size_t index = TableIndex(name);
    if (index == kHostTableCount) return nullptr;
    const TableSettings& settings = TheHost().tables[index];
    if (settings.refused || settings.refusedAt.contains(version)) return nullptr;
    if (version > kHostTableVersion) return nullptr;
    return TheTables().byName[index];
}

ASVersion ReportedVersion(HFT table) {
    const auto& byName = TheTables().byName;
    const auto found = std::find(byName.begin(), byName.end(), table);
    if (table == nullptr || found == byName.end()) return kUnknownVersion;
    const TableSettings& settings =
        TheHost().tables[static_cast<std::size_t>(found - byName.begin())];
    return settings.reported.value_or(kHostTableVersion);
}

void RefuseTable(std::string_view name) { SettingsFor(name).refused = true; }

void RefuseTableAt(std::string_view name, ASVersion version) {
    SettingsFor(name).refusedAt.insert(version);
}

void ReportTableVersion(std::string_view name, ASVersion version) {
    SettingsFor(name).reported = version;
}

}  // namespace plenvo::hostapp
